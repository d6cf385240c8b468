#pragma once

// The inside of a Table, shared by the files that each do one part of its work:
// TableRows.cpp keeps the record buffer (rows read in blocks, appended rows written in
// crash-safe batches), TableValues.cpp reads and writes field values of every dBase type,
// TableIndex.cpp keeps the production index, TableOpenClose.cpp opens and closes,
// TableCreate.cpp creates and deletes table files, and Table.cpp is the public face (the
// cursor, the natural-order walk, Locate).

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/AnsiText.h"
#include "store/DbfFormat.h"
#include "store/FileLock.h"
#include "store/MdxFormat.h"
#include "store/MdxIndex.h"
#include "store/RunError.h"
#include "store/Table.h"

namespace tto {

namespace tables {

// Appended rows are written in batches of about this many bytes; after each batch the
// header's record count follows, so the file on disk is a whole table at every moment.
inline constexpr std::size_t kAppendBatchBytes = 256 * 1024;
// Rows are read in blocks of about this many bytes.
inline constexpr std::size_t kReadBlockBytes = 64 * 1024;
// Enough bytes to hold the largest header a table can declare (its length is 16 bits).
inline constexpr std::size_t kLargestHeader = 65536;
inline constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();

inline std::string Named(const std::string& table, const std::filesystem::path& path) {
  return table + " (" + PathToAnsi(path) + ")";
}

[[noreturn]] inline void ThrowInUse(const std::string& table, const std::filesystem::path& path) {
  throw RunError("La tabla " + Named(table, path) + " est\xE1 en uso por otro programa");
}

[[noreturn]] inline void ThrowFileError(const std::string& table, const files::FileError& error) {
  const std::string operation = error.operation();
  const char* verb = operation == "open" || operation == "stat" ? "abrir"
                     : operation == "read"                      ? "leer"
                     : operation == "lock"                      ? "bloquear"
                     : operation == "close"                     ? "cerrar"
                                                                : "escribir";
  throw RunError(std::string("No se puede ") + verb + " la tabla " + Named(table, error.path()) +
                 ": " + Utf8ToAnsi(error.code().message()));
}

// The failure text for WriteFileAtomically when a table's index cannot be replaced.
std::string IndexWriteFailure(const std::string& table);

// The date of the day, as a changed table and its index are stamped with it.
struct Today {
  int year = 2000, month = 1, day = 1;
  Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) {
      year = local.tm_year + 1900;
      month = local.tm_mon + 1;
      day = local.tm_mday;
    }
  }
  // Dates are stored as year - 1900 in one byte: 1900 to 2155.
  std::uint8_t YearByte() const {
    return static_cast<std::uint8_t>(std::clamp(year - 1900, 0, 255));
  }
  mdx::Date IndexDate() const {
    return mdx::Date{YearByte(), static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)};
  }
  void Stamp(dbf::Header& header) const {
    header.year = YearByte();
    header.month = static_cast<std::uint8_t>(month);
    header.day = static_cast<std::uint8_t>(day);
  }
};

inline bool IsFill(std::uint8_t byte) {
  return byte == ' ' || byte == 0;
}

inline bool IsBinaryNumber(char type) {
  return type == 'I' || type == '+' || type == 'O' || type == '@';
}

// A blank value of each type: zero bytes for the binary types, blanks for the others.
inline std::uint8_t BlankByte(char type) {
  return IsBinaryNumber(type) ? 0 : ' ';
}

}  // namespace tables

struct Table::Impl {
  explicit Impl(std::string tableName) : name(std::move(tableName)) {}

  std::string name;
  std::filesystem::path folder;
  std::filesystem::path path;
  std::optional<files::LockedFile> file;
  dbf::Layout layout;
  std::vector<std::uint8_t> blankRow;

  // Rows [0, flushedCount) are in the file and counted by its header; rows
  // [flushedCount, recordCount) wait in pending.
  std::uint32_t recordCount = 0;
  std::uint32_t flushedCount = 0;
  std::vector<std::uint8_t> pending;
  mutable std::vector<std::uint8_t> cache;
  mutable std::uint32_t cacheFirst = 0;
  mutable std::uint32_t cacheCount = 0;
  mutable std::optional<std::int64_t> liveCount;

  std::uint32_t current = tables::kNoRow;
  bool eof = true;
  enum class State { Browse, Appending, Editing } state = State::Browse;
  std::vector<std::uint8_t> editRow;
  bool editTouched = false;
  bool modified = false;

  std::vector<mdx::TagDefinition> tags;
  std::vector<std::size_t> tagFields;
  std::filesystem::path indexPath;
  std::string indexProblem;  // why the index could not be kept, when it cannot

  // --- access (the record buffer: TableRows.cpp) ---------------------------------------

  std::size_t RecordLength() const { return layout.header.recordLength; }

  std::uint64_t RecordOffset(std::uint32_t row) const {
    return layout.header.headerLength + static_cast<std::uint64_t>(row) * RecordLength();
  }

  void RequireOpen() const {
    if (!file) throw RunError("La tabla " + name + " no est\xE1 abierta");
  }

  [[noreturn]] void ThrowDamaged(const std::string& what) const;

  const std::uint8_t* Record(std::uint32_t row) const {
    if (row >= flushedCount) return pending.data() + (row - flushedCount) * RecordLength();
    if (row < cacheFirst || row >= cacheFirst + cacheCount) LoadCache(row);
    return cache.data() + (row - cacheFirst) * RecordLength();
  }

  void LoadCache(std::uint32_t row) const;

  const std::uint8_t* CurrentRow() const {
    if (state != State::Browse) return editRow.data();
    if (current != tables::kNoRow) return Record(current);
    return blankRow.data();
  }

  bool Live(std::uint32_t row) const { return Record(row)[0] != dbf::kDeletedRecord; }

  // The first row from row on that is not deleted; kNoRow when there is none.
  std::uint32_t FirstLiveFrom(std::uint32_t row) const;
  // A field's position by its name, or by a position checked against the schema.
  std::size_t FieldIndex(std::string_view field) const;
  std::size_t CheckedPosition(std::size_t position) const;

  std::span<const std::uint8_t> FieldBytes(const std::uint8_t* row, std::size_t field) const {
    return {row + layout.offsets[field], layout.fields[field].length};
  }

  // --- reading values (TableValues.cpp) ------------------------------------------------

  [[noreturn]] void ThrowNotNumber(std::size_t field, const std::string& text) const;
  [[noreturn]] void ThrowCannotRead(std::size_t field, const char* as) const;
  // The number a numeric field holds; nullopt when blank.
  std::optional<double> NumberOf(const std::uint8_t* row, std::size_t field) const;
  std::string TextOf(const std::uint8_t* row, std::size_t field) const;
  std::int32_t RoundToInteger(std::size_t field, double value) const;
  std::int32_t IntegerOf(const std::uint8_t* row, std::size_t field) const;
  double FloatOf(const std::uint8_t* row, std::size_t field) const;

  // --- writing values (TableValues.cpp) ------------------------------------------------

  std::span<std::uint8_t> EditableField(std::size_t field);
  [[noreturn]] void ThrowCannotWrite(std::size_t field, const char* what) const;
  void PutBlank(std::size_t field);
  void PutText(std::size_t field, std::string_view text);
  void PutNumber(std::size_t field, double value);
  void SetText(std::size_t field, std::string_view text);
  void SetBoolean(std::size_t field, bool value);
  void SetInteger(std::size_t field, std::int32_t value);
  void SetFloat(std::size_t field, double value);

  // --- changing rows (TableRows.cpp) ---------------------------------------------------

  void BeginChange();
  // Leaving a row that was being appended or edited posts it when a field was written,
  // and drops it otherwise, as a dataset does when it moves.
  void SettleRow();
  void Post();
  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Writes the waiting rows, then the record count that covers them.
  void Flush();

  // --- index (TableIndex.cpp) ----------------------------------------------------------

  // Learns the tags of the production index so that Close can rebuild it. A table whose
  // index we cannot keep can still be read; changing it is refused (see BeginChange).
  void LoadIndexDefinitions();
  // Rebuilds the index from every row and replaces its file in one step.
  void WriteIndex();

  // --- opening and closing (TableOpenClose.cpp) ----------------------------------------

  void Open(const std::filesystem::path& where);
  void Close();
  // Forgets the open table; dropping the file releases its lock.
  void Reset() noexcept;
};

}  // namespace tto
