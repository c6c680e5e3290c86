// The plug-in's version texts. On Windows they come from the library's own version
// resource (host/Vesko.rc); the Linux library has no resource and carries the same texts
// compiled in.
#pragma once

#include <string>

namespace vesko {

// The version-text names, indexed from 0: "Comments", "CompanyName", "FileDescription",
// "FileVersion", "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
// "PrivateBuild", "ProductName", "ProductVersion", "SpecialBuild".
inline constexpr int kVersionTextCount = 12;
extern const char* const kVersionTextNames[kVersionTextCount];
inline constexpr int kFileVersionIndex = 3;

// The text of that index for the library file at module_path; empty when the library
// has no version resource, or no such text, or the index is out of range. Throws
// EVeskoError "情報の取得に失敗しました" when the resource lacks its translation table.
std::string GetVersionText(int index, const std::string& module_path);
// The same for this library.
std::string GetVersionText(int index);

}  // namespace vesko
