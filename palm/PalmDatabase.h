// A Palm database (PDB) held in memory: the 78-byte header, then one 8-byte entry per
// record, then the records' bytes with no gap. All numbers in the file are big-endian.
//
// TPalmDatabase holds the header and can read it from an existing file; TPalmPDB adds the
// owned record list, builds it record by record and saves the file. Save writes the type
// and creator of a Doc e-book ("TEXt", "REAd"). Header dates are Unix seconds, converted to
// and from local TDateTime by timet. Reading throws EInvalidPalmDatabase; saving throws
// EOSError, EConvertError or EVeskoError and never leaves a partly written file behind.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace vesko {

class EInvalidPalmDatabase : public EVeskoError {
 public:
  using EVeskoError::EVeskoError;
};

inline constexpr int kPDBHeaderSize = 78;
inline constexpr int kPDBRecordEntrySize = 8;
inline constexpr int kPDBMaxRecords = 65535;

struct TPDBHeader {
  std::string Name;  // at most 31 bytes are written
  bool ReadOnly = false;           // attribute bit 0x0002
  bool AppInfoDirty = false;       // 0x0004
  bool Backup = false;             // 0x0008
  bool OKToInstallNewer = false;   // 0x0010
  bool ResetAfterInstall = false;  // 0x0020
  bool CopyPrevention = false;     // 0x0040
  std::int32_t Version = 0;
  TDateTime CreationDate = 0;
  TDateTime ModificationDate = 0;
  TDateTime BackupDate = 0;
  std::int32_t ModificationNumber = 0;
  std::int32_t AppInfoID = 0;
  std::int32_t SortInfoID = 0;
  std::string DBType;   // 4 characters
  std::string Creator;  // 4 characters
  std::int32_t UniqueIDSeed = 0;
  std::int32_t NextRecordListID = 0;
  std::int32_t NumRecords = 0;  // the count read from a file
};

// One entry of the record list. Attributes hold the in-memory flags (bit 0 secret, 1 busy,
// 2 dirty, 3 delete), written as the high nibble of the entry's attribute byte.
struct TPDBRecordHeader {
  // Throws "Invalid Palm database: record headers corrupt" for a negative offset or size.
  TPDBRecordHeader(std::int32_t offset, std::int32_t size);

  std::int32_t Offset;
  std::uint8_t Attributes = 0;
  std::array<std::uint8_t, 3> UniqueID = {0, 0, 0};  // most significant byte first
  std::int32_t Size;
  std::optional<std::string> Data;  // the record's bytes; none once saved or when loaded
  bool Written = false;  // its bytes went straight to the file (TPDBStreamWriter)
};

class TPalmDatabase {
 public:
  // Reads the header at once when open_existing is true.
  TPalmDatabase(std::string file_name, bool open_existing);
  virtual ~TPalmDatabase() = default;
  TPalmDatabase(const TPalmDatabase&) = delete;
  TPalmDatabase& operator=(const TPalmDatabase&) = delete;

  // Reads the 78-byte header of FileName and sets FileSize. Throws EInvalidPalmDatabase:
  // "Error reading file" when the file can't be opened or is too short, "Not a Palm
  // database, or header corrupt" when a date is negative or can't be converted.
  void LoadHeader();

  TPDBHeader& Header() { return header_; }
  const TPDBHeader& Header() const { return header_; }
  // The file's length after LoadHeader or Save.
  std::int64_t FileSize() const { return file_size_; }
  const std::string& FileName() const { return file_name_; }
  bool OpenExisting() const { return open_existing_; }

 protected:
  std::int64_t file_size_ = 0;

 private:
  TPDBHeader header_;
  std::string file_name_;
  bool open_existing_;
};

class TPalmPDB : public TPalmDatabase {
 public:
  // Reads the header and the record list at once when open_existing is true.
  TPalmPDB(std::string file_name, bool open_existing);

  // Reads the record list of FileName after LoadHeader: offsets from the file, each size
  // up to the next record's offset (the last one up to the end of the file). Attributes,
  // unique IDs and data are not read. Throws EInvalidPalmDatabase.
  void LoadRecordList();
  void ClearRecords();
  // Index 0 appends a record; index n >= 1 sets record n (1-based), first appending empty
  // records until there are n. The record's size becomes data's length and all offsets
  // are laid out again.
  void SetRecord(int index, std::string data);
  // Sets the attributes and unique ID of record index (1-based); an index past the end is
  // ignored.
  void SetRecordAttributes(int index, std::uint8_t attributes,
                           const std::array<std::uint8_t, 3>& unique_id);
  // Writes the whole file: the header with both dates set to now, the entries, the data.
  // Everything that can fail is checked before the file is touched, and the bytes go to a
  // temporary file that then replaces FileName, so FileName is either untouched or
  // complete. Afterwards FileSize is the file's length and every record's data is released.
  // Throws EVeskoError for more than 65,535 records, for a time at or after 2^31 Unix
  // seconds, or for a record whose data was already saved; EConvertError for a time that
  // can't be converted; EOSError when the file can't be written.
  void Save();
  // The bytes Save writes, with the given header dates (Unix seconds).
  std::string Serialize(std::uint32_t creation, std::uint32_t modification) const;
  // Their first part: the header and the record list, after the checks that Save makes.
  std::string HeadBytes(std::uint32_t creation, std::uint32_t modification) const;

  int RecordCount() const { return static_cast<int>(records_.size()); }
  // Record index (1-based); throws std::out_of_range past the end.
  const TPDBRecordHeader& Record(int index) const { return Records().at(index - 1); }
  const std::vector<TPDBRecordHeader>& Records() const;

 private:
  friend class TPDBStreamWriter;

  // HeadBytes; records written by a TPDBStreamWriter pass when `streamed` is true.
  std::string Head(std::uint32_t creation, std::uint32_t modification, bool streamed) const;
  // Offsets are laid out when they are next looked at, so that appending the records of
  // a long text one by one stays linear.
  void LayOutOffsets() const;
  // Record index as SetRecord finds it (0 appends one); null for a negative index.
  TPDBRecordHeader* RecordToSet(int index);

  mutable std::vector<TPDBRecordHeader> records_;
  mutable bool offsets_stale_ = false;
};

// Writes a database whose records are made one after another and not kept in memory. The
// record count is fixed at the start; each record goes to the file as it is added, and the
// header with the record list goes last into the room left for it at the front. Like
// Save, it writes a temporary file that replaces the database's file only on Commit, so a
// writer destroyed without Commit leaves that file as it was. The database's record list
// receives each record's size, attributes and unique ID, without its bytes.
class TPDBStreamWriter {
 public:
  // Empties pdb's record list and starts the file, durable or not (platform::TAtomicFile).
  // Throws EVeskoError for more than kPDBMaxRecords records, EOSError when the file can't
  // be made.
  TPDBStreamWriter(TPalmPDB& pdb, int records, bool durable = true);

  // Appends the next record. Throws EVeskoError past the announced count or 2 GB, EOSError.
  void Add(std::string_view bytes, std::uint8_t attributes,
           const std::array<std::uint8_t, 3>& unique_id);
  // Writes the header, with both dates set to now, and the record list, and replaces the
  // database's file; FileSize is then its length. Throws EVeskoError when fewer records
  // were added than announced, and what Save throws.
  void Commit();

 private:
  TPalmPDB& pdb_;
  const int records_;
  platform::TAtomicFile file_;
};

}  // namespace vesko
