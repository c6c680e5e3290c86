#include "palm/DocFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "palm/BigEndian.h"
#include "palm/DocCompress.h"
#include "palm/DocPack.h"
#include "platform/locale.h"
#include "platform/ui.h"

namespace vesko {
namespace {

constexpr std::uint8_t kDirty = 4;

std::array<std::uint8_t, 3> UniqueIDBytes(std::uint32_t id) {
  return {static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
          static_cast<std::uint8_t>(id)};
}

}  // namespace

std::string_view CutAtCharacter(std::string_view text, std::size_t max_bytes,
                                TDocEncoding encoding) {
  if (text.size() <= max_bytes) return text;
  std::size_t end = 0;
  if (encoding == TDocEncoding::kUtf8) {
    // Back from the cut over continuation bytes (10xxxxxx) to the start of their character.
    end = max_bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  } else {
    for (;;) {
      const std::size_t next =
          end + (platform::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
      if (next > max_bytes) break;
      end = next;
    }
  }
  return text.substr(0, end);
}

std::string CutDocTitle(const std::string& title, TDocEncoding encoding) {
  constexpr std::size_t kMax = kDocNameSize;
  if (title.size() <= kMax) return title;
  if (encoding == TDocEncoding::kUtf8) return std::string(CutAtCharacter(title, kMax, encoding));
  // Walk the characters up to the 31st byte to learn what that byte is.
  std::size_t i = 0;
  while (i < kMax - 1) i += platform::IsLeadByte(static_cast<unsigned char>(title[i])) ? 2 : 1;
  if (i == kMax) return title.substr(0, kMax - 2);  // byte 31 ends a double-byte character
  if (platform::IsLeadByte(static_cast<unsigned char>(title[kMax - 1]))) {
    return title.substr(0, kMax - 1);
  }
  return title.substr(0, kMax);
}

void NormalizeLineEndsInPlace(std::string& text, std::vector<TDocBookmark>& bookmarks) {
  // The marks by position: each one moves back by the CRs dropped before it, and those are
  // counted once, as the walk passes them.
  std::vector<TDocBookmark*> marks;
  marks.reserve(bookmarks.size());
  for (TDocBookmark& mark : bookmarks) marks.push_back(&mark);
  std::stable_sort(marks.begin(), marks.end(), [](const TDocBookmark* a, const TDocBookmark* b) {
    return a->Position < b->Position;
  });
  std::size_t settled = 0;
  std::int32_t dropped = 0;
  // Gives every mark not after offset its place: the CRs counted so far all lie before it.
  const auto settle_up_to = [&](std::int64_t offset) {
    for (; settled < marks.size() && marks[settled]->Position <= offset; ++settled) {
      marks[settled]->AdjustedPosition = marks[settled]->Position - dropped;
    }
  };

  char* const b = text.data();
  const std::size_t n = text.size();
  const auto next_cr = [&](std::size_t from) {
    const void* found = std::memchr(b + from, '\r', n - from);
    return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - b) : n;
  };
  // Read position r is always at a CR in the loop; w trails it by the CRs dropped so far.
  std::size_t r = next_cr(0), w = r;
  while (r < n) {
    settle_up_to(static_cast<std::int64_t>(r));
    ++dropped;
    if (r + 1 < n) b[w++] = b[r + 1];  // the byte after a CR stays, even another CR
    r = std::min(r + 2, n);
    const std::size_t end = next_cr(r);
    std::memmove(b + w, b + r, end - r);
    w += end - r;
    r = end;
  }
  settle_up_to(std::numeric_limits<std::int64_t>::max());
  text.resize(w);
}

std::string NormalizeLineEnds(std::string_view text, std::vector<TDocBookmark>& bookmarks) {
  std::string out(text);
  NormalizeLineEndsInPlace(out, bookmarks);
  return out;
}

std::size_t DocTextSize(std::string_view text) {
  std::size_t dropped = 0;
  for (std::size_t r = text.find('\r'); r != std::string_view::npos; r = text.find('\r', r + 2)) {
    ++dropped;  // the byte after it stays, whatever it is
  }
  return text.size() - dropped;
}

TDocFile::TDocFile(const std::string& file_name, const std::string& title, bool compress,
                   TDocEncoding encoding)
    : TPalmPDB(file_name, false),
      compress_(compress),
      encoding_(encoding),
      threads_(DefaultDocThreads()) {
  Header().Name = CutDocTitle(title, encoding);
  Header().DBType = "TEXt";
  Header().Creator = "REAd";
  Header().Backup = true;
}

void TDocFile::AddBookmark(const std::string& title, std::int32_t position) {
  bookmarks_.push_back({title, position, position});
}

void TDocFile::WriteText(std::string body, const TProgressProc& progress) {
  ClearRecords();
  NormalizeLineEndsInPlace(body, bookmarks_);
  if (body.empty()) body = " ";

  const std::size_t length = body.size();
  const std::size_t pieces = (length + kDocRecordSize - 1) / kDocRecordSize;
  // Fail before the long part of the work when the file could never be saved.
  if (pieces + 1 + bookmarks_.size() > kPDBMaxRecords || length > 0xFFFFFFFFu) {
    throw EVeskoError("the text is too long for one Palm Doc e-book (" +
                      std::to_string(length) + " bytes)");
  }

  std::string record0;
  palm::PutU16(record0, compress_ ? 2 : 1);
  palm::PutU16(record0, 0);
  palm::PutU32(record0, static_cast<std::uint32_t>(length));
  palm::PutU16(record0, static_cast<std::uint16_t>(pieces));
  palm::PutU16(record0, kDocRecordSize);
  palm::PutU32(record0, 0);
  SetRecord(1, std::move(record0));
  SetRecordAttributes(1, kDirty, UniqueIDBytes(kDocFirstUniqueID));

  const auto take = [&](std::size_t k, std::string record) {
    SetRecord(0, std::move(record));
    SetRecordAttributes(RecordCount(), kDirty,
                        UniqueIDBytes(kDocFirstUniqueID + static_cast<std::uint32_t>(k + 1)));
    platform::ProcessMessages();
    if (progress) progress(static_cast<int>(std::lround((k + 1) * 100.0 / pieces)));
  };
  if (compress_) {
    PackDocPieces(body, threads_, take);
  } else {
    for (std::size_t k = 0; k < pieces; ++k) {
      take(k, body.substr(k * kDocRecordSize, kDocRecordSize));
    }
  }
  body = std::string();  // the records hold it all; the file is built next

  for (const TDocBookmark& mark : bookmarks_) {
    std::string record(CutAtCharacter(mark.Title, kDocBookmarkTitleSize, encoding_));
    record.resize(kDocBookmarkTitleSize, '\0');
    palm::PutU32(record, static_cast<std::uint32_t>(mark.AdjustedPosition));
    SetRecord(0, std::move(record));
  }
  Save();
}

}  // namespace vesko
