#pragma once

// The table store: dBase tables (.DBF, with a dBase IV production index .MDX where a
// table has index definitions), written in Windows-1252 at the lowest dBase level that
// carries the schema, read at every level, opened exclusively.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tto {

enum class FieldKind { Text, Boolean, Integer, Float };

// One field of a schema: text fields carry their width in characters.
struct FieldDef {
  std::string name;
  FieldKind kind = FieldKind::Text;
  int width = 0;
};

// An index definition: ascending on one field, no options.
struct IndexDef {
  std::string name;
  std::string field;
};

// A field as the file describes it, for readers such as `transtarvos dump`.
struct FieldInfo {
  std::string name;
  char type = 'C';  // the dBase type letter: C N F L D I O + @ ...
  int width = 0;
  int decimals = 0;
};

// Creates an empty table NAME.DBF (and NAME.MDX when indexes are given) in folder.
// The table name is upper case without extension ("PROFT"). Fails with a RunError when
// the folder is missing, the table is held by another opener, or the schema cannot be
// written (index definitions on a table that needs level 7).
void CreateTable(const std::filesystem::path& folder, std::string_view tableName,
                 const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes = {});

// Deletes every case variant of NAME.DBF and NAME.MDX in folder. A deletion that fails
// is ignored; a file that another opener holds is never deleted (as on Windows).
void DeleteTableFiles(const std::filesystem::path& folder, std::string_view tableName);

// Table rebuild: DeleteTableFiles, then CreateTable.
void RebuildTable(const std::filesystem::path& folder, std::string_view tableName,
                  const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes = {});

// The path of a file in folder whose name equals fileName ignoring case, or an empty
// path when there is none.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           std::string_view fileName);

// A table component: names one table; Open takes it exclusively, Close releases it.
// Closing (explicitly or when the object goes away) writes what was posted; a row
// started with Append or Edit and never posted is dropped.
class Table {
 public:
  explicit Table(std::string tableName);  // upper case, no extension: "SOLUC"
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  Table(Table&&) noexcept;
  Table& operator=(Table&&) noexcept;

  const std::string& TableName() const;

  // Opens NAME.DBF in folder (found whatever its case) exclusively. Fails with a RunError
  // naming the table and its path when it is missing, unreadable, malformed, or held by
  // another opener ("en uso por otro programa"); then nothing changes.
  void Open(const std::filesystem::path& folder);
  // Writes the header and, for an indexed table, the index; releases the lock. Closing a
  // closed table does nothing.
  void Close();
  // Close for paths that are already failing: never throws; a write error is dropped.
  void CloseQuietly() noexcept;
  bool IsOpen() const;
  std::filesystem::path Path() const;  // of the .DBF, once opened

  // Natural order: the order rows were appended; deleted rows are skipped.
  void First();
  void Next();
  bool Eof() const;
  std::int64_t RecordCount() const;

  void Append();  // starts a new blank row
  void Edit();    // starts editing the current row
  void Post();    // stores the started row

  // Moves to the first row in natural order whose text field equals text exactly
  // (case-sensitive, whole value, trailing fill blanks ignored). Answers found.
  bool Locate(std::string_view field, std::string_view text);

  // Field writes on the started row. A text longer than its field is cut to the width.
  void SetText(std::string_view field, std::string_view ansiText);
  void SetBoolean(std::string_view field, bool value);
  void SetInteger(std::string_view field, std::int32_t value);
  void SetFloat(std::string_view field, double value);

  // Field reads on the current row, by name or by position (from 0). Text carries no
  // trailing fill blanks; a numeric field reads as text as FloatToStr writes it, an
  // empty one as empty text and as 0. A field the table lacks is a RunError naming the
  // field and the table; a text that does not convert is the conversion's error.
  std::string Text(std::string_view field) const;
  std::string Text(std::size_t position) const;
  std::int32_t Integer(std::string_view field) const;
  std::int32_t Integer(std::size_t position) const;
  double Float(std::string_view field) const;
  double Float(std::size_t position) const;
  bool IsBlank(std::string_view field) const;

  std::vector<FieldInfo> Fields() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Holds a table open for one scope: opened on construction, closed when the scope ends,
// errors included.
class OpenTable {
 public:
  OpenTable(Table& table, const std::filesystem::path& folder) : table_(table) {
    table_.Open(folder);
  }
  ~OpenTable() { table_.CloseQuietly(); }
  OpenTable(const OpenTable&) = delete;
  OpenTable& operator=(const OpenTable&) = delete;
  Table* operator->() { return &table_; }
  Table& operator*() { return table_; }
  // The normal end of the scope: a write error here is reported.
  void Close() { table_.Close(); }

 private:
  Table& table_;
};

}  // namespace tto
