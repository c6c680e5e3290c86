// Files and folders. Paths are byte strings in the system's code page (Shift JIS on a
// Japanese Windows, UTF-8 on Linux). Reading and writing whole files throw EOSError;
// the yes/no operations report failure as false, since their callers decide what a
// failure means.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vesko::platform {

// The whole file as bytes. Throws EOSError when it can't be opened or read.
std::string ReadWholeFile(const std::string& path);

// Creates or truncates the file and writes data. Throws EOSError; a failed write may
// leave a partial file (use WriteFileAtomic where that matters).
void WriteWholeFile(const std::string& path, std::string_view data);

// Writes data to a fresh temporary file in the same folder, then renames it over path,
// so path holds either the old or the new content, never a mix. Throws EOSError and
// leaves no temporary file behind.
void WriteFileAtomic(const std::string& path, std::string_view data);
// The same for data given in parts, written one after another without first being joined.
void WriteFileAtomic(const std::string& path, std::span<const std::string_view> parts);

// Copies src to dst, replacing dst when overwrite is true. False on any failure.
bool CopyFileTo(const std::string& src, const std::string& dst, bool overwrite);

// Renames src to dst, replacing dst. False on failure.
bool RenameFileOver(const std::string& src, const std::string& dst);

bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);       // a file (not a folder) is there
bool DirectoryExists(const std::string& path);  // a folder is there
// Creates one folder. True when it was created or already exists.
bool MakeDirectory(const std::string& path);
// Removes an empty folder. False on failure.
bool RemoveFolder(const std::string& path);
// File size in bytes, or -1 when the file can't be examined.
std::int64_t FileSizeOf(const std::string& path);

// A new, empty file with a unique name in folder (which ends with a delimiter or not),
// named prefix + something unique + extension. Returns its full path; throws EOSError.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension);

// The folder delimiter of this system: '\' on Windows, '/' elsewhere.
char PathDelimiter();

}  // namespace vesko::platform
