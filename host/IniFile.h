// TIniFile is one settings file in the Windows INI format: the plug-in's own settings or a
// folder's Folder.ini. It holds only the path; every call opens the file afresh, so a value
// written by the settings dialog is seen by the next reader. Section and key names ignore
// letter case; a missing file or key gives the fallback, a key present with an empty value
// gives "". Booleans are stored as "1"/"0" and read as integers (non-zero is true). Writers
// throw EOSError when the file can't be written.
#pragma once

#include <string>

namespace vesko {

class TIniFile {
 public:
  explicit TIniFile(std::string path);

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // Blanks, a sign and decimal digits, as the system's profile reader takes them ("12ab"
  // is 12, "ab" is 0); fallback when the key is missing or empty.
  int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vesko
