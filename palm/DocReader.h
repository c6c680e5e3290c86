// Reads a Palm Doc e-book back: checks that the file is a Doc database ("TEXt"/"REAd"),
// reads record 0 and unpacks the text records of version 1 (plain) or 2 (packed), whose
// number record 0 gives; the 20-byte bookmark records after them are read apart. The
// whole file is read once; every record is checked against the bytes that are there.
// Throws EInvalidPalmDatabase for anything that isn't a valid Doc e-book.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "palm/PalmDatabase.h"

namespace vesko {

// Record 0 of a Doc e-book.
struct TDocRecord0 {
  std::uint16_t version = 0;       // 1 plain, 2 packed
  std::uint32_t text_length = 0;   // bytes of text
  std::uint16_t record_count = 0;  // text records
  std::uint16_t record_size = 0;   // bytes of text per record, 4096
  std::uint32_t position = 0;      // reading position
};

// One entry of the record list as the file stores it.
struct TDocRecordEntry {
  std::int32_t offset = 0;
  std::int32_t size = 0;
  std::uint8_t attributes = 0;  // the entry's attribute byte as stored (0x40 = dirty)
  std::uint32_t unique_id = 0;
};

// A bookmark record after the text records: 16 bytes of title (up to its first zero byte)
// and a 4-byte big-endian offset in the stored text.
struct TDocStoredBookmark {
  std::string title;
  std::uint32_t position = 0;
};

class TDocReader {
 public:
  explicit TDocReader(const std::string& file_name);

  const TPalmPDB& database() const { return database_; }
  const TDocRecord0& record0() const { return record0_; }
  const std::vector<TDocRecordEntry>& entries() const { return entries_; }
  // The stored bytes of record index (0-based file order).
  std::string_view RecordBytes(int index) const;
  // The text of text record k (1..record count), unpacked.
  std::string TextRecord(int k) const;
  // The whole text: every text record unpacked, in order.
  std::string ReadText() const;
  // The bookmark record at index (0-based file order), or nullopt when that record isn't
  // one: record 0, a text record, or a record of another size than 20 bytes.
  std::optional<TDocStoredBookmark> Bookmark(int index) const;
  // Every bookmark record, in file order.
  std::vector<TDocStoredBookmark> Bookmarks() const;

 private:
  TPalmPDB database_;
  std::string bytes_;
  TDocRecord0 record0_;
  std::vector<TDocRecordEntry> entries_;
};

}  // namespace vesko
