#include "palm/DocFile.h"

#include <cmath>
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

std::string NormalizeLineEnds(std::string_view text, std::vector<TDocBookmark>& bookmarks) {
  const TDocPieces pieces(text);
  for (TDocBookmark& mark : bookmarks) {
    mark.AdjustedPosition = static_cast<std::int32_t>(pieces.Adjusted(mark.Position));
  }
  std::string out, piece;
  out.reserve(pieces.Length());
  for (std::size_t k = 0; k < pieces.Count(); ++k) {
    pieces.Piece(k, piece);
    out += piece;
  }
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

void TDocFile::WriteText(std::string_view text, const TProgressProc& progress) {
  ClearRecords();
  const TDocPieces given(text);
  for (TDocBookmark& mark : bookmarks_) {
    mark.AdjustedPosition = static_cast<std::int32_t>(given.Adjusted(mark.Position));
  }
  const TDocPieces blank(" ");  // an e-book holds at least one byte of text
  const TDocPieces& body = given.Length() > 0 ? given : blank;

  const std::size_t length = body.Length();
  const std::size_t pieces = body.Count();
  // Fail before the long part of the work when the file could never be saved.
  if (pieces + 1 + bookmarks_.size() > kPDBMaxRecords || length > 0xFFFFFFFFu) {
    throw EVeskoError("the text is too long for one Palm Doc e-book (" +
                      std::to_string(length) + " bytes)");
  }

  try {
    // The records go to the file as they are made; the file replaces FileName at the end.
    TPDBStreamWriter out(*this, static_cast<int>(pieces + 1 + bookmarks_.size()), durable_);
    std::string record0;
    palm::PutU16(record0, compress_ ? 2 : 1);
    palm::PutU16(record0, 0);
    palm::PutU32(record0, static_cast<std::uint32_t>(length));
    palm::PutU16(record0, static_cast<std::uint16_t>(pieces));
    palm::PutU16(record0, kDocRecordSize);
    palm::PutU32(record0, 0);
    out.Add(record0, kDirty, UniqueIDBytes(kDocFirstUniqueID));

    const auto take = [&](std::size_t k, std::string record) {
      const auto id = kDocFirstUniqueID + static_cast<std::uint32_t>(k + 1);
      out.Add(record, kDirty, UniqueIDBytes(id));
      platform::ProcessMessages();
      if (progress) progress(static_cast<int>(std::lround((k + 1) * 100.0 / pieces)));
    };
    if (compress_) {
      PackDocPieces(body, threads_, take);
    } else {
      for (std::size_t k = 0; k < pieces; ++k) {
        std::string piece;
        body.Piece(k, piece);
        take(k, std::move(piece));
      }
    }
    for (const TDocBookmark& mark : bookmarks_) {
      std::string record(CutAtCharacter(mark.Title, kDocBookmarkTitleSize, encoding_));
      record.resize(kDocBookmarkTitleSize, '\0');
      palm::PutU32(record, static_cast<std::uint32_t>(mark.AdjustedPosition));
      out.Add(record, 0, {0, 0, 0});
    }
    out.Commit();
  } catch (...) {
    ClearRecords();  // a list of records that never reached a file
    throw;
  }
}

}  // namespace vesko
