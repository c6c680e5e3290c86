// Path text helpers that work on the system's delimiter and, on a double-byte code page,
// never mistake the second byte of a character (0x5C in Shift JIS) for a delimiter.
#pragma once

#include <optional>
#include <string>

namespace vesko {

// The file name part: everything after the last delimiter (or drive colon on Windows).
std::string ExtractFileName(const std::string& path);
// The folder part including its trailing delimiter; empty when the path has none.
std::string ExtractFilePath(const std::string& path);
// path with one delimiter at its end (an empty path stays empty).
std::string IncludeTrailingDelimiter(const std::string& path);
// path without a trailing delimiter, except that a root ("C:\", "/") keeps its own.
std::string ExcludeTrailingDelimiter(const std::string& path);
// folder + delimiter + name, adding the delimiter only when folder lacks one.
std::string JoinPath(const std::string& folder, const std::string& name);

// The process ID in a file name made by platform::CreateUniqueFile: name is prefix +
// decimal ID + "-" + at least one more character + extension. 0 for the older names made
// without an ID: prefix + six letters or digits (+ "." and more) + extension. nullopt for
// other names.
std::optional<unsigned long> UniqueFileOwner(const std::string& name, const std::string& prefix,
                                             const std::string& extension);

}  // namespace vesko
