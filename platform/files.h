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

// A temporary file of a dead process becomes a leftover after this long.
inline constexpr int kLeftoverAgeSeconds = 60 * 60;
// The name of CopyFileAtomic's partial copy: prefix, process ID, "-", unique, extension.
inline constexpr char kPartialCopyPrefix[] = "~vesko";
inline constexpr char kPartialCopyExtension[] = ".tmp";

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

// A file written in parts that replaces path only when committed. The parts go to a fresh
// temporary file beside path, named as WriteFileAtomic names it; Commit flushes it to the
// disk and renames it over path, keeping the permissions of the file it replaces. Parts
// reach the system in batches as they come, and it is asked to start writing each batch
// to the disk at once, so that Commit waits for little. Until Commit path is untouched; a
// writer destroyed without Commit removes its file. Throws EOSError.
//
// A file that needn't outlast a power cut (one that is copied on and removed, or that can
// simply be written again) is made with durable false: Commit then leaves the flushing to
// the system, and a crash may leave path empty, though never half of the new bytes beside
// half of the old.
class TAtomicFile {
 public:
  explicit TAtomicFile(const std::string& path, bool durable = true);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  void Append(std::string_view bytes);
  // Overwrites bytes already appended, from offset on: a header written once the rest is
  // known. The bytes must lie within what was appended.
  void WriteAt(std::uint64_t offset, std::string_view bytes);
  // The bytes appended so far.
  std::uint64_t Size() const { return size_; }
  void Commit();

 private:
  // The system's side: writes bytes at offset of the temporary file, and when asked starts
  // writing them on to the disk; closes and removes the file unless it was committed.
  void Put(std::uint64_t offset, std::string_view bytes, bool start_writeback);
  void Close() noexcept;
  // Hands the gathered batch to the system.
  void Flush();

  std::string path_, temp_;
  std::intptr_t handle_ = -1;  // the temporary file's descriptor or handle
  unsigned mode_ = 0;          // the permissions the file gets on Commit (POSIX)
  std::string batch_;          // appended bytes not yet handed to the system
  std::uint64_t size_ = 0;     // bytes appended
  bool durable_;
  bool committed_ = false;
};

// Delivers a copy of src as dst: copies it into a fresh file of this process beside dst
// (see CreateUniqueFile), flushes that to the disk and renames it over dst, so dst is
// either the old file or the whole copy, also after a crash or a power cut. The copy's
// permissions follow the user's umask. Throws EOSError whose code is the system's reason;
// leaves no partial file behind.
void CopyFileAtomic(const std::string& src, const std::string& dst);

// True when a and b name one existing file, however the paths reach it (links, "..",
// letter case).
bool SameFile(const std::string& a, const std::string& b);

// Renames src to dst, replacing dst. False on failure.
bool RenameFileOver(const std::string& src, const std::string& dst);

enum class TRenameResult { kRenamed, kTaken, kFailed };
// Renames src to dst in one step only when nothing (a file, a folder, a link) is at dst,
// so a name found free can't be lost to a file that appears in the meantime: kTaken then,
// with src and the other file as they were. kFailed, with the system's reason in *error
// when given, for any other failure. Both paths are in one folder or on one volume.
TRenameResult RenameNoReplace(const std::string& src, const std::string& dst,
                              int* error = nullptr);

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
// named prefix + this process's ID in decimal + "-" + something unique + extension, so
// RemoveLeftovers can tell whose it is. Returns its full path; throws EOSError.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension);

// A new, empty folder in folder, named as CreateUniqueFile names its files (without an
// extension). Returns its full path with a trailing delimiter; throws EOSError.
std::string CreateUniqueFolder(const std::string& folder, const std::string& prefix);

// Removes the files that CreateUniqueFile made in folder with prefix and extension and
// that their process left behind: older than max_age_seconds, and made by a process that
// no longer runs on this machine (names of the older form, without a process ID, go by
// their age alone; see UniqueFileOwner). A folder that CreateUniqueFolder made goes the
// same way, with the files in it. Never touches another name or a running process's
// file; returns how many it removed. Never throws.
int RemoveLeftovers(const std::string& folder, const std::string& prefix,
                    const std::string& extension, int max_age_seconds = kLeftoverAgeSeconds);

// The folder delimiter of this system: '\' on Windows, '/' elsewhere.
char PathDelimiter();

}  // namespace vesko::platform
