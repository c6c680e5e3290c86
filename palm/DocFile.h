// TDocFile writes one block of text as a Palm Doc e-book ("TEXt"/"REAd"): record 0
// describes the text, records 1..N hold it in 4,096-byte pieces, packed with DocCompress
// when compression is on (version 2) or plain (version 1), and one 20-byte record per
// bookmark follows them. Line ends are made LF on the way. WriteText builds every record
// and saves the file through TPalmPDB; failures of the container and of the progress
// callback propagate. The records are packed on a few threads (PackDocPieces) while the
// calling thread pumps the host's messages and reports progress; the file's bytes don't
// depend on the thread count.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "palm/PalmDatabase.h"

namespace vesko {

using TProgressProc = std::function<void(int percent)>;

inline constexpr std::uint32_t kDocFirstUniqueID = 0x6FA001;

struct TDocBookmark {
  std::string Title;                  // at most 16 bytes are stored
  std::int32_t Position = 0;          // byte offset in the text handed to WriteText
  std::int32_t AdjustedPosition = 0;  // the same offset after line-end normalisation
};

class TDocFile : public TPalmPDB {
 public:
  // The title becomes the database name, cut to 31 bytes without splitting a double-byte
  // character.
  TDocFile(const std::string& file_name, const std::string& title, bool compress);

  // Builds every record from text and writes the file, closed and complete on return.
  // The text is taken over and its line ends normalised where it lies (move it in to save
  // a copy). After each piece, on the calling thread, the host's pending messages are
  // processed and progress, when given, gets the share of pieces done (0..100).
  void WriteText(std::string text, const TProgressProc& progress = {});
  // Adds a bookmark at a byte offset of the text that WriteText will get.
  void AddBookmark(const std::string& title, std::int32_t position);

  bool Compress() const { return compress_; }
  // Threads that pack the records, the calling one included; DefaultDocThreads() at first.
  int Threads() const { return threads_; }
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  const std::vector<TDocBookmark>& Bookmarks() const { return bookmarks_; }

 private:
  bool compress_;
  int threads_;
  std::vector<TDocBookmark> bookmarks_;
};

// The first 31 bytes of a title, or 30 or 29 so that no double-byte character of the
// system's code page is cut in half.
std::string CutDocTitle(const std::string& title);

// Drops every CR of text, where it lies, and keeps the byte after each CR whatever it is
// (CR LF -> LF, CR CR LF -> CR LF); bookmark positions after a dropped CR move back by one.
void NormalizeLineEndsInPlace(std::string& text, std::vector<TDocBookmark>& bookmarks);
// The same on a copy.
std::string NormalizeLineEnds(std::string_view text, std::vector<TDocBookmark>& bookmarks);
// The length of text after NormalizeLineEnds.
std::size_t DocTextSize(std::string_view text);

}  // namespace vesko
