// TDocFile writes one block of text as a Palm Doc e-book ("TEXt"/"REAd"): record 0
// describes the text, records 1..N hold it in 4,096-byte pieces, packed with DocCompress
// when compression is on (version 2) or plain (version 1), and one 20-byte record per
// bookmark follows them. Line ends are made LF on the way. The text is Shift JIS or UTF-8
// (TDocEncoding), which decides where the name and the bookmark titles may be cut; the
// bytes of the text are stored as they come. WriteText builds every record
// and saves the file through TPalmPDB; failures of the container and of the progress
// callback propagate. The records are packed on a few threads (PackDocPieces) while the
// calling thread pumps the host's messages and reports progress; the file's bytes don't
// depend on the thread count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "palm/PalmDatabase.h"

namespace vesko {

using TProgressProc = std::function<void(int percent)>;

inline constexpr std::uint32_t kDocFirstUniqueID = 0x6FA001;
inline constexpr std::size_t kDocNameSize = 31;           // bytes of the database name
inline constexpr std::size_t kDocBookmarkTitleSize = 16;  // bytes of a bookmark's title

// The encoding of an e-book's text, its name and its bookmark titles.
enum class TDocEncoding {
  kShiftJis,  // the system's code page rules (Shift JIS on a Japanese system)
  kUtf8,
};

struct TDocBookmark {
  std::string Title;                  // cut to 16 bytes on a character boundary when stored
  std::int32_t Position = 0;          // byte offset in the text handed to WriteText
  std::int32_t AdjustedPosition = 0;  // the same offset after line-end normalisation
};

class TDocFile : public TPalmPDB {
 public:
  // The title becomes the database name, cut to 31 bytes without splitting a character
  // (CutDocTitle).
  TDocFile(const std::string& file_name, const std::string& title, bool compress,
           TDocEncoding encoding = TDocEncoding::kShiftJis);

  // Builds every record from text and writes the file, closed and complete on return.
  // Line ends are normalised piece by piece as the records are built; the text itself is
  // only read. After each piece, on the calling thread, the host's pending messages are
  // processed and progress, when given, gets the share of pieces done (0..100).
  void WriteText(std::string_view text, const TProgressProc& progress = {});
  // Adds a bookmark at a byte offset of the text that WriteText will get. Its record holds
  // the title's first 16 bytes that end on a character boundary, zero-padded.
  void AddBookmark(const std::string& title, std::int32_t position);

  bool Compress() const { return compress_; }
  TDocEncoding Encoding() const { return encoding_; }
  // Threads that pack the records, the calling one included; DefaultDocThreads() at first.
  int Threads() const { return threads_; }
  void SetThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }
  // Whether WriteText flushes the file to the disk before it takes the file's name (the
  // default). A file that is copied on and removed, or that can be written again from its
  // source, needn't wait for the disk (platform::TAtomicFile).
  bool Durable() const { return durable_; }
  void SetDurable(bool durable) { durable_ = durable; }
  const std::vector<TDocBookmark>& Bookmarks() const { return bookmarks_; }

 private:
  bool compress_;
  TDocEncoding encoding_;
  int threads_;
  bool durable_ = true;
  std::vector<TDocBookmark> bookmarks_;
};

// The database name a title gives. Shift JIS: the first 31 bytes, or 30 or 29 so that no
// double-byte character of the system's code page is cut in half (29 when byte 31 is the
// second byte of one). UTF-8: the longest head of at most 31 bytes that ends on a
// character boundary.
std::string CutDocTitle(const std::string& title,
                        TDocEncoding encoding = TDocEncoding::kShiftJis);
// The longest head of text that has at most max_bytes bytes and doesn't end inside a
// character: a double-byte character of the system's code page, or a UTF-8 sequence.
std::string_view CutAtCharacter(std::string_view text, std::size_t max_bytes,
                                TDocEncoding encoding);

// Drops every CR of text and keeps the byte after each CR whatever it is (CR LF -> LF,
// CR CR LF -> CR LF), as WriteText stores it; each bookmark's AdjustedPosition becomes its
// Position less the CRs dropped before it.
std::string NormalizeLineEnds(std::string_view text, std::vector<TDocBookmark>& bookmarks);
// The length of text after NormalizeLineEnds.
std::size_t DocTextSize(std::string_view text);

}  // namespace vesko
