#include "palm/PalmDatabase.h"

#include <fstream>
#include <string_view>
#include <limits>
#include <utility>

#include "palm/BigEndian.h"
#include "palm/timet.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace vesko {
namespace {

using palm::GetU16;
using palm::GetU32;
using palm::PutU16;
using palm::PutU32;

constexpr char kErrorReading[] = "Error reading file";
constexpr char kHeaderCorrupt[] = "Not a Palm database, or header corrupt";
constexpr char kRecordsCorrupt[] = "Invalid Palm database: record headers corrupt";

// Reads count bytes at offset of the file; false when the file can't be opened or holds
// fewer bytes there. size receives the file's length.
bool ReadAt(const std::string& file_name, std::int64_t offset, std::size_t count,
            std::string& bytes, std::int64_t* size = nullptr) {
  std::ifstream in(file_name, std::ios::binary);
  if (!in) return false;
  if (size != nullptr) {
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0) return false;
    *size = end;
  }
  in.seekg(offset);
  bytes.assign(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  return in.gcount() == static_cast<std::streamsize>(count);
}

// A header date: Unix seconds that must not be negative as a signed number.
TDateTime DecodeDate(std::uint32_t seconds) {
  if (seconds > 0x7FFFFFFFu) throw EInvalidPalmDatabase(kHeaderCorrupt);
  try {
    return UnixToDateTime(seconds);
  } catch (const EConvertError&) {
    throw EInvalidPalmDatabase(kHeaderCorrupt);
  }
}

// Bytes of a fixed-size field up to the first zero byte.
std::string FieldText(std::string_view field) { return std::string(field.substr(0, field.find('\0'))); }

// count, when a database can hold that many records; throws EVeskoError otherwise.
int CheckedRecordCount(int count) {
  if (count > kPDBMaxRecords) {
    throw EVeskoError("a Palm database holds at most 65535 records, not " + std::to_string(count));
  }
  return count;
}

// The current local time as a header date; each date must stay below 2^31.
std::uint32_t NowAsHeaderDate() {
  const std::uint32_t seconds = DateTimeToUnix(platform::NowLocal());
  if (seconds > 0x7FFFFFFFu) {
    throw EVeskoError("the current time lies past 2038-01-19 03:14:07 UTC, "
                      "which a Palm database can't hold");
  }
  return seconds;
}

}  // namespace

TPDBRecordHeader::TPDBRecordHeader(std::int32_t offset, std::int32_t size)
    : Offset(offset), Size(size) {
  if (offset < 0 || size < 0) throw EInvalidPalmDatabase(kRecordsCorrupt);
}

TPalmDatabase::TPalmDatabase(std::string file_name, bool open_existing)
    : file_name_(std::move(file_name)), open_existing_(open_existing) {
  if (open_existing_) LoadHeader();
}

void TPalmDatabase::LoadHeader() {
  std::string h;
  std::int64_t size = 0;
  if (!ReadAt(file_name_, 0, kPDBHeaderSize, h, &size)) throw EInvalidPalmDatabase(kErrorReading);
  file_size_ = size;

  TPDBHeader& d = header_;
  d.Name = FieldText(std::string_view(h).substr(0, 32));
  const std::uint16_t attributes = GetU16(h, 32);
  d.ReadOnly = (attributes & 0x0002) != 0;
  d.AppInfoDirty = (attributes & 0x0004) != 0;
  d.Backup = (attributes & 0x0008) != 0;
  d.OKToInstallNewer = (attributes & 0x0010) != 0;
  d.ResetAfterInstall = (attributes & 0x0020) != 0;
  d.CopyPrevention = (attributes & 0x0040) != 0;
  d.Version = GetU16(h, 34);
  d.CreationDate = DecodeDate(GetU32(h, 36));
  d.ModificationDate = DecodeDate(GetU32(h, 40));
  d.BackupDate = DecodeDate(GetU32(h, 44));
  d.ModificationNumber = static_cast<std::int32_t>(GetU32(h, 48));
  d.AppInfoID = static_cast<std::int32_t>(GetU32(h, 52));
  d.SortInfoID = static_cast<std::int32_t>(GetU32(h, 56));
  d.DBType = FieldText(std::string_view(h).substr(60, 4));
  d.Creator = FieldText(std::string_view(h).substr(64, 4));
  d.UniqueIDSeed = static_cast<std::int32_t>(GetU32(h, 68));
  d.NextRecordListID = static_cast<std::int32_t>(GetU32(h, 72));
  d.NumRecords = GetU16(h, 76);
}

TPalmPDB::TPalmPDB(std::string file_name, bool open_existing)
    : TPalmDatabase(std::move(file_name), open_existing) {
  if (open_existing) LoadRecordList();
}

void TPalmPDB::LoadRecordList() {
  ClearRecords();
  const int count = Header().NumRecords;
  std::string entries;
  if (!ReadAt(FileName(), kPDBHeaderSize, static_cast<std::size_t>(count) * kPDBRecordEntrySize,
              entries)) {
    throw EInvalidPalmDatabase(kRecordsCorrupt);
  }
  // Sizes follow from the offsets: each record runs up to the next one, the last one to
  // the end of the file. Offsets that go backwards or past the end give no valid size.
  const auto size_between = [](std::int64_t from, std::int64_t to) {
    const std::int64_t size = to - from;
    if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) {
      throw EInvalidPalmDatabase(kRecordsCorrupt);
    }
    return static_cast<std::int32_t>(size);
  };
  records_.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto offset = static_cast<std::int32_t>(GetU32(entries, static_cast<std::size_t>(i) * 8));
    records_.emplace_back(offset, 0);
    if (i > 0) records_[i - 1].Size = size_between(records_[i - 1].Offset, offset);
  }
  if (!records_.empty()) records_.back().Size = size_between(records_.back().Offset, FileSize());
}

void TPalmPDB::ClearRecords() {
  records_.clear();
  offsets_stale_ = false;
}

TPDBRecordHeader* TPalmPDB::RecordToSet(int index) {
  if (index < 0) return nullptr;
  if (index == 0) {
    records_.emplace_back(0, 0);
    index = RecordCount();
  }
  while (RecordCount() < index) records_.emplace_back(0, 0);
  offsets_stale_ = true;
  return &records_[index - 1];
}

void TPalmPDB::SetRecord(int index, std::string data) {
  TPDBRecordHeader* record = RecordToSet(index);
  if (record == nullptr) return;
  record->Size = static_cast<std::int32_t>(data.size());
  record->Data = std::move(data);
  record->Written = false;
}

void TPalmPDB::SetRecordAttributes(int index, std::uint8_t attributes,
                                   const std::array<std::uint8_t, 3>& unique_id) {
  if (index < 1 || index > RecordCount()) return;
  records_[index - 1].Attributes = attributes;
  records_[index - 1].UniqueID = unique_id;
}

const std::vector<TPDBRecordHeader>& TPalmPDB::Records() const {
  if (offsets_stale_) LayOutOffsets();
  return records_;
}

void TPalmPDB::LayOutOffsets() const {
  offsets_stale_ = false;
  std::int64_t offset = kPDBHeaderSize + static_cast<std::int64_t>(kPDBRecordEntrySize) * RecordCount();
  for (TPDBRecordHeader& record : records_) {
    record.Offset = static_cast<std::int32_t>(offset);
    offset += record.Size;
  }
}

std::string TPalmPDB::HeadBytes(std::uint32_t creation, std::uint32_t modification) const {
  return Head(creation, modification, false);
}

std::string TPalmPDB::Head(std::uint32_t creation, std::uint32_t modification,
                           bool streamed) const {
  CheckedRecordCount(RecordCount());
  std::int64_t total = kPDBHeaderSize + static_cast<std::int64_t>(kPDBRecordEntrySize) * RecordCount();
  for (int i = 0; i < RecordCount(); ++i) {
    const TPDBRecordHeader& record = records_[i];
    // Without its data a record would be written as bytes that aren't there.
    const bool bytes_at_hand =
        streamed ? record.Written
                 : record.Data && record.Data->size() == std::size_t(record.Size);
    if (record.Size > 0 && !bytes_at_hand) {
      throw EVeskoError("record " + std::to_string(i + 1) + " of " + FileName() +
                        " has no data to write; it was saved or never loaded");
    }
    total += record.Size;
  }
  if (total > std::numeric_limits<std::int32_t>::max()) {
    throw EVeskoError("a Palm database can't be larger than 2 GB");
  }

  LayOutOffsets();
  std::string out;
  out.reserve(kPDBHeaderSize + static_cast<std::size_t>(kPDBRecordEntrySize) * records_.size());
  const TPDBHeader& h = Header();
  std::string name = h.Name.substr(0, 31);
  name.resize(32, '\0');
  out += name;
  PutU16(out, static_cast<std::uint16_t>(h.ReadOnly * 0x0002 + h.AppInfoDirty * 0x0004 +
                                         h.Backup * 0x0008 + h.OKToInstallNewer * 0x0010 +
                                         h.ResetAfterInstall * 0x0020 + h.CopyPrevention * 0x0040));
  PutU16(out, 0);  // version
  PutU32(out, creation);
  PutU32(out, modification);
  PutU32(out, 0);  // last backup
  PutU32(out, 0);  // modification number
  PutU32(out, 0);  // app info
  PutU32(out, 0);  // sort info
  out += "TEXtREAd";
  PutU32(out, 0);  // unique ID seed
  PutU32(out, 0);  // next record list
  PutU16(out, static_cast<std::uint16_t>(RecordCount()));
  for (const TPDBRecordHeader& record : records_) {
    PutU32(out, static_cast<std::uint32_t>(record.Offset));
    out.push_back(static_cast<char>((record.Attributes & 0x0F) << 4));
    out.append(reinterpret_cast<const char*>(record.UniqueID.data()), 3);
  }
  return out;
}

std::string TPalmPDB::Serialize(std::uint32_t creation, std::uint32_t modification) const {
  std::string out = HeadBytes(creation, modification);
  for (const TPDBRecordHeader& record : records_) {
    if (record.Data) out += *record.Data;
  }
  return out;
}

void TPalmPDB::Save() {
  const std::uint32_t creation = NowAsHeaderDate();
  const std::uint32_t modification = NowAsHeaderDate();
  // The records go out from where they lie, after the header and the record list.
  const std::string head = HeadBytes(creation, modification);
  std::vector<std::string_view> parts;
  parts.reserve(records_.size() + 1);
  parts.emplace_back(head);
  std::int64_t size = static_cast<std::int64_t>(head.size());
  for (const TPDBRecordHeader& record : records_) {
    if (!record.Data) continue;
    parts.emplace_back(*record.Data);
    size += static_cast<std::int64_t>(record.Data->size());
  }
  platform::WriteFileAtomic(FileName(), parts);
  file_size_ = size;
  for (TPDBRecordHeader& record : records_) record.Data.reset();
}

TPDBStreamWriter::TPDBStreamWriter(TPalmPDB& pdb, int records, bool durable)
    : pdb_(pdb), records_(CheckedRecordCount(records)), file_(pdb.FileName(), durable) {
  pdb_.ClearRecords();
  pdb_.records_.reserve(static_cast<std::size_t>(records));
  // Room for the header and the record list, written once the offsets are known.
  file_.Append(std::string(kPDBHeaderSize + std::size_t{kPDBRecordEntrySize} * records, '\0'));
}

void TPDBStreamWriter::Add(std::string_view bytes, std::uint8_t attributes,
                           const std::array<std::uint8_t, 3>& unique_id) {
  if (pdb_.RecordCount() >= records_) {
    throw EVeskoError("more records than the " + std::to_string(records_) + " announced for " +
                      pdb_.FileName());
  }
  if (file_.Size() + bytes.size() > std::numeric_limits<std::int32_t>::max()) {
    throw EVeskoError("a Palm database can't be larger than 2 GB");
  }
  file_.Append(bytes);
  TPDBRecordHeader& record = *pdb_.RecordToSet(0);
  record.Size = static_cast<std::int32_t>(bytes.size());
  record.Written = true;
  record.Attributes = attributes;
  record.UniqueID = unique_id;
}

void TPDBStreamWriter::Commit() {
  if (pdb_.RecordCount() != records_) {
    throw EVeskoError(std::to_string(pdb_.RecordCount()) + " of the " + std::to_string(records_) +
                      " records announced for " + pdb_.FileName() + " were written");
  }
  const std::uint32_t creation = NowAsHeaderDate();
  const std::uint32_t modification = NowAsHeaderDate();
  file_.WriteAt(0, pdb_.Head(creation, modification, true));
  file_.Commit();
  pdb_.file_size_ = static_cast<std::int64_t>(file_.Size());
}

}  // namespace vesko
