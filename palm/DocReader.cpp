#include "palm/DocReader.h"

#include <utility>

#include "palm/BigEndian.h"
#include "palm/DocCompress.h"
#include "palm/DocFile.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace vesko {
namespace {

std::string ReadBytes(const std::string& file_name) {
  try {
    return platform::ReadWholeFile(file_name);
  } catch (const EOSError&) {
    throw EInvalidPalmDatabase("Error reading file");
  }
}

}  // namespace

TDocReader::TDocReader(const std::string& file_name)
    : database_(file_name, true), bytes_(ReadBytes(file_name)) {
  const TPDBHeader& h = database_.Header();
  if (h.DBType != "TEXt" || h.Creator != "REAd") {
    throw EInvalidPalmDatabase("Not a Palm Doc e-book: type \"" + h.DBType + "\", creator \"" +
                               h.Creator + "\"");
  }
  // The file may have changed since the record list was read: check against the bytes.
  for (int i = 0; i < database_.RecordCount(); ++i) {
    const TPDBRecordHeader& r = database_.Record(i + 1);
    const std::size_t entry = kPDBHeaderSize + static_cast<std::size_t>(i) * kPDBRecordEntrySize;
    if (static_cast<std::uint64_t>(r.Offset) + static_cast<std::uint64_t>(r.Size) > bytes_.size() ||
        entry + kPDBRecordEntrySize > bytes_.size()) {
      throw EInvalidPalmDatabase("Invalid Palm database: record headers corrupt");
    }
    entries_.push_back({r.Offset, r.Size, static_cast<std::uint8_t>(bytes_[entry + 4]),
                        palm::GetU32(bytes_, entry + 4) & 0xFFFFFF});
  }
  if (entries_.empty()) throw EInvalidPalmDatabase("Not a Palm Doc e-book: it has no records");
  const std::string_view r0 = RecordBytes(0);
  if (r0.size() < 16) throw EInvalidPalmDatabase("Not a Palm Doc e-book: record 0 is too short");
  record0_ = {palm::GetU16(r0, 0), palm::GetU32(r0, 4), palm::GetU16(r0, 8),
              palm::GetU16(r0, 10), palm::GetU32(r0, 12)};
  if (record0_.version != 1 && record0_.version != 2) {
    throw EInvalidPalmDatabase("Unsupported Palm Doc version " +
                               std::to_string(record0_.version));
  }
  if (record0_.record_count >= entries_.size()) {
    throw EInvalidPalmDatabase("Not a Palm Doc e-book: record 0 names " +
                               std::to_string(record0_.record_count) + " text records, the file holds " +
                               std::to_string(entries_.size() - 1));
  }
}

std::string_view TDocReader::RecordBytes(int index) const {
  const TDocRecordEntry& e = entries_.at(static_cast<std::size_t>(index));
  return std::string_view(bytes_).substr(static_cast<std::size_t>(e.offset),
                                         static_cast<std::size_t>(e.size));
}

std::string TDocReader::TextRecord(int k) const {
  const std::string_view stored = RecordBytes(k);
  if (record0_.version == 1) return std::string(stored);
  try {
    return DocDecompress(stored);
  } catch (const EInvalidPalmDatabase& e) {
    throw EInvalidPalmDatabase("text record " + std::to_string(k) + ": " + e.what());
  }
}

std::string TDocReader::ReadText() const {
  std::string text;
  for (int k = 1; k <= record0_.record_count; ++k) text += TextRecord(k);
  return text;
}

std::optional<TDocStoredBookmark> TDocReader::Bookmark(int index) const {
  constexpr std::size_t kBookmarkRecordSize = kDocBookmarkTitleSize + 4;
  if (index <= record0_.record_count || index >= static_cast<int>(entries_.size())) {
    return std::nullopt;
  }
  const std::string_view bytes = RecordBytes(index);
  if (bytes.size() != kBookmarkRecordSize) return std::nullopt;
  const std::string_view title = bytes.substr(0, kDocBookmarkTitleSize);
  return TDocStoredBookmark{std::string(title.substr(0, title.find('\0'))),
                            palm::GetU32(bytes, kDocBookmarkTitleSize)};
}

std::vector<TDocStoredBookmark> TDocReader::Bookmarks() const {
  std::vector<TDocStoredBookmark> marks;
  for (int i = record0_.record_count + 1; i < static_cast<int>(entries_.size()); ++i) {
    if (auto mark = Bookmark(i)) marks.push_back(std::move(*mark));
  }
  return marks;
}

}  // namespace vesko
