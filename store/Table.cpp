#include "store/Table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

#include "store/AnsiText.h"
#include "store/AtomicFile.h"
#include "store/Conversions.h"
#include "store/DbfFormat.h"
#include "store/DbfSchema.h"
#include "store/DbfValues.h"
#include "store/FileLock.h"
#include "store/MdxIndex.h"
#include "store/RegionalSettings.h"
#include "store/RunError.h"
#include "store/TableFiles.h"

namespace tto {

namespace {

// Appended rows are written in batches of about this many bytes; after each batch the
// header's record count follows, so the file on disk is a whole table at every moment.
constexpr std::size_t kAppendBatchBytes = 256 * 1024;
// Rows are read in blocks of about this many bytes.
constexpr std::size_t kReadBlockBytes = 64 * 1024;
// Enough bytes to hold the largest header a table can declare (its length is 16 bits).
constexpr std::size_t kLargestHeader = 65536;
constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();

std::string Named(const std::string& table, const std::filesystem::path& path) {
  return table + " (" + PathToAnsi(path) + ")";
}

[[noreturn]] void ThrowInUse(const std::string& table, const std::filesystem::path& path) {
  throw RunError("La tabla " + Named(table, path) + " est\xE1 en uso por otro programa");
}

// The failure text for WriteFileAtomically when a table's index cannot be replaced.
std::string IndexWriteFailure(const std::string& table) {
  return "No se puede escribir la tabla " + table + " (%s)";
}

[[noreturn]] void ThrowFileError(const std::string& table, const files::FileError& error) {
  const std::string operation = error.operation();
  const char* verb = operation == "open" || operation == "stat" ? "abrir"
                     : operation == "read"                      ? "leer"
                     : operation == "lock"                      ? "bloquear"
                     : operation == "close"                     ? "cerrar"
                                                                : "escribir";
  throw RunError(std::string("No se puede ") + verb + " la tabla " + Named(table, error.path()) +
                 ": " + Utf8ToAnsi(error.code().message()));
}

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

bool IsFill(std::uint8_t byte) {
  return byte == ' ' || byte == 0;
}

std::string TrimBlanks(std::string text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  const std::size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

bool IsBinaryNumber(char type) {
  return type == 'I' || type == '+' || type == 'O' || type == '@';
}

// A blank value of each type: zero bytes for the binary types, blanks for the others.
std::uint8_t BlankByte(char type) {
  return IsBinaryNumber(type) ? 0 : ' ';
}

std::tm AsTm(const dbf::DateTimeParts& parts) {
  std::tm when{};
  when.tm_year = parts.year - 1900;
  when.tm_mon = parts.month - 1;
  when.tm_mday = parts.day;
  when.tm_hour = parts.hour;
  when.tm_min = parts.minute;
  when.tm_sec = parts.second;
  return when;
}

}  // namespace

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

  std::uint32_t current = kNoRow;
  bool eof = true;
  enum class State { Browse, Appending, Editing } state = State::Browse;
  std::vector<std::uint8_t> editRow;
  bool editTouched = false;
  bool modified = false;

  std::vector<mdx::TagDefinition> tags;
  std::vector<std::size_t> tagFields;
  std::filesystem::path indexPath;
  std::string indexProblem;  // why the index could not be kept, when it cannot

  // --- access ------------------------------------------------------------------------

  std::size_t RecordLength() const { return layout.header.recordLength; }
  std::uint64_t RecordOffset(std::uint32_t row) const {
    return layout.header.headerLength + static_cast<std::uint64_t>(row) * RecordLength();
  }

  void RequireOpen() const {
    if (!file) throw RunError("La tabla " + name + " no est\xE1 abierta");
  }

  [[noreturn]] void ThrowDamaged(const std::string& what) const {
    throw RunError("La tabla " + Named(name, path) +
                   " est\xE1 da\xF1"
                   "ada: " +
                   what);
  }

  const std::uint8_t* Record(std::uint32_t row) const {
    if (row >= flushedCount) return pending.data() + (row - flushedCount) * RecordLength();
    if (row < cacheFirst || row >= cacheFirst + cacheCount) LoadCache(row);
    return cache.data() + (row - cacheFirst) * RecordLength();
  }

  void LoadCache(std::uint32_t row) const {
    const std::size_t perBlock = std::max<std::size_t>(1, kReadBlockBytes / RecordLength());
    const auto count =
        static_cast<std::uint32_t>(std::min<std::size_t>(perBlock, flushedCount - row));
    cache.resize(count * RecordLength());
    cacheCount = 0;
    std::size_t got = 0;
    try {
      got = file->ReadAt(RecordOffset(row), cache);
    } catch (const files::FileError& error) {
      ThrowFileError(name, error);
    }
    if (got != cache.size()) ThrowDamaged("el archivo termina antes de su \xFAltimo registro");
    cacheFirst = row;
    cacheCount = count;
  }

  const std::uint8_t* CurrentRow() const {
    if (state != State::Browse) return editRow.data();
    if (current != kNoRow) return Record(current);
    return blankRow.data();
  }

  bool Live(std::uint32_t row) const { return Record(row)[0] != dbf::kDeletedRecord; }

  std::uint32_t FirstLiveFrom(std::uint32_t row) const {
    for (; row < recordCount; ++row) {
      if (Live(row)) return row;
    }
    return kNoRow;
  }

  std::size_t FieldIndex(std::string_view field) const {
    // Callers spell names as the schema does; the exact match is the quick path, and
    // names are matched ignoring case only after it fails.
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      if (layout.fields[i].name == field) return i;
    }
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      if (dbf::NamesEqual(layout.fields[i].name, field)) return i;
    }
    throw RunError("Campo '" + std::string(field) + "' no encontrado en la tabla " +
                   Named(name, path));
  }

  std::size_t CheckedPosition(std::size_t position) const {
    if (position >= layout.fields.size()) {
      throw RunError("La tabla " + Named(name, path) + " no tiene campo n\xFAmero " +
                     std::to_string(position + 1));
    }
    return position;
  }

  std::span<const std::uint8_t> FieldBytes(const std::uint8_t* row, std::size_t field) const {
    return {row + layout.offsets[field], layout.fields[field].length};
  }

  // --- reading values ------------------------------------------------------------------

  [[noreturn]] void ThrowNotNumber(std::size_t field, const std::string& text) const {
    throw RunError("El campo " + layout.fields[field].name + " de la tabla " + Named(name, path) +
                   " contiene '" + text + "', que no es un n\xFAmero");
  }

  [[noreturn]] void ThrowCannotRead(std::size_t field, const char* as) const {
    throw RunError("El campo " + layout.fields[field].name + " de la tabla " + Named(name, path) +
                   " no se puede leer como " + as);
  }

  // The number a numeric field holds; nullopt when blank.
  std::optional<double> NumberOf(const std::uint8_t* row, std::size_t field) const {
    const auto bytes = FieldBytes(row, field);
    switch (layout.fields[field].type) {
      case 'N':
      case 'F': {
        const std::string text = dbf::NumericText(bytes);
        if (text.empty()) return std::nullopt;
        const std::optional<double> value = dbf::ParseNumericText(text);
        if (!value) ThrowNotNumber(field, text);
        return value;
      }
      case 'I':
      case '+': {
        const std::optional<std::int32_t> value = dbf::DecodeLong(bytes);
        if (!value) return std::nullopt;
        return static_cast<double>(*value);
      }
      case 'O':
        return dbf::DecodeDouble(bytes);
      default:
        return std::nullopt;
    }
  }

  std::string TextOf(const std::uint8_t* row, std::size_t field) const {
    const auto bytes = FieldBytes(row, field);
    switch (layout.fields[field].type) {
      case 'N':
      case 'F':
      case 'O': {
        const std::optional<double> value = NumberOf(row, field);
        return value ? FloatToStr(*value) : std::string();
      }
      case 'I':
      case '+': {
        const std::optional<std::int32_t> value = dbf::DecodeLong(bytes);
        return value ? std::to_string(*value) : std::string();
      }
      case 'L': {
        const std::optional<bool> value = dbf::DecodeLogical(bytes[0]);
        return value ? (*value ? "True" : "False") : "";
      }
      case 'D': {
        const std::optional<double> date = dbf::DecodeDate(bytes);
        if (!date) return TrimBlanks(dbf::TextWithoutFill(bytes));
        return FormatDateTime(CurrentRegionalSettings().shortDateFormat,
                              AsTm(dbf::SplitDateTime(*date)));
      }
      case '@': {
        const std::optional<double> stamp = dbf::DecodeTimestamp(bytes);
        if (!stamp) return {};
        const dbf::DateTimeParts parts = dbf::SplitDateTime(*stamp);
        const RegionalSettings& settings = CurrentRegionalSettings();
        std::string text = FormatDateTime(settings.shortDateFormat, AsTm(parts));
        if (parts.hour != 0 || parts.minute != 0 || parts.second != 0) {
          text += ' ' + FormatDateTime(settings.longTimeFormat, AsTm(parts));
        }
        return text;
      }
      default:
        return dbf::TextWithoutFill(bytes);
    }
  }

  std::int32_t RoundToInteger(std::size_t field, double value) const {
    // Delphi's Round: halves go to the even neighbour, as the default rounding mode does.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
      throw RunError("El valor " + FloatToStr(value) + " del campo " + layout.fields[field].name +
                     " de la tabla " + Named(name, path) + " no cabe en un entero");
    }
    return static_cast<std::int32_t>(rounded);
  }

  std::int32_t IntegerOf(const std::uint8_t* row, std::size_t field) const {
    const auto bytes = FieldBytes(row, field);
    switch (layout.fields[field].type) {
      case 'N':
      case 'F':
      case 'O':
      case 'I':
      case '+': {
        const std::optional<double> value = NumberOf(row, field);
        return value ? RoundToInteger(field, *value) : 0;
      }
      case 'L':
        return dbf::DecodeLogical(bytes[0]).value_or(false) ? 1 : 0;
      case 'D':
      case '@':
        ThrowCannotRead(field, "entero");
      default:
        return StrToInt(TrimBlanks(dbf::TextWithoutFill(bytes)));
    }
  }

  double FloatOf(const std::uint8_t* row, std::size_t field) const {
    const auto bytes = FieldBytes(row, field);
    switch (layout.fields[field].type) {
      case 'N':
      case 'F':
      case 'O':
      case 'I':
      case '+':
        return NumberOf(row, field).value_or(0.0);
      case 'L':
        return dbf::DecodeLogical(bytes[0]).value_or(false) ? 1.0 : 0.0;
      case 'D':
        return dbf::DecodeDate(bytes).value_or(0.0);
      case '@':
        return dbf::DecodeTimestamp(bytes).value_or(0.0);
      default:
        return StrToFloat(TrimBlanks(dbf::TextWithoutFill(bytes)));
    }
  }

  // --- writing values ------------------------------------------------------------------

  std::span<std::uint8_t> EditableField(std::size_t field) {
    if (state == State::Browse) {
      throw RunError("La tabla " + Named(name, path) +
                     " no est\xE1 en modo de edici\xF3n (falta Append o Edit)");
    }
    editTouched = true;
    return {editRow.data() + layout.offsets[field], layout.fields[field].length};
  }

  [[noreturn]] void ThrowCannotWrite(std::size_t field, const char* what) const {
    throw RunError("El campo " + layout.fields[field].name + " (tipo " + layout.fields[field].type +
                   ") de la tabla " + Named(name, path) + " no admite " + what);
  }

  void PutBlank(std::size_t field) {
    auto out = EditableField(field);
    std::fill(out.begin(), out.end(), BlankByte(layout.fields[field].type));
  }

  void PutText(std::size_t field, std::string_view text) {
    auto out = EditableField(field);
    const std::size_t n = std::min(text.size(), out.size());
    std::memcpy(out.data(), text.data(), n);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), std::uint8_t{' '});
  }

  void PutNumber(std::size_t field, double value) {
    const dbf::FieldDescriptor& descriptor = layout.fields[field];
    auto out = EditableField(field);
    switch (descriptor.type) {
      case 'N':
      case 'F':
        if (!dbf::EncodeNumeric(value, descriptor.decimals, out)) {
          throw RunError("El valor " + FloatToStr(value) + " no cabe en el campo " +
                         descriptor.name + " (N(" + std::to_string(descriptor.length) + "," +
                         std::to_string(descriptor.decimals) + ")) de la tabla " +
                         Named(name, path));
        }
        return;
      case 'I':
      case '+': {
        const std::int32_t integer = RoundToInteger(field, value);
        // The lowest long is stored as four zero bytes, which mean null.
        if (integer == std::numeric_limits<std::int32_t>::min()) {
          throw RunError("El valor " + std::to_string(integer) + " no cabe en el campo " +
                         descriptor.name + " (I) de la tabla " + Named(name, path));
        }
        dbf::EncodeLong(integer, out);
        return;
      }
      case 'O':
        if (!std::isfinite(value)) ThrowCannotWrite(field, "un valor no finito");
        dbf::EncodeDouble(value, out);
        return;
      default:
        ThrowCannotWrite(field, "n\xFAmeros");
    }
  }

  void SetText(std::size_t field, std::string_view text) {
    const char type = layout.fields[field].type;
    if (type == 'C') return PutText(field, text);
    const std::string trimmed = TrimBlanks(std::string(text));
    switch (type) {
      case 'N':
      case 'F':
      case 'O':
        if (trimmed.empty()) return PutBlank(field);
        return PutNumber(field, StrToFloat(trimmed));
      case 'I':
      case '+':
        if (trimmed.empty()) return PutBlank(field);
        return PutNumber(field, StrToInt(trimmed));
      case 'L': {
        if (trimmed.empty()) return PutBlank(field);
        const std::optional<bool> value = dbf::DecodeLogical(static_cast<std::uint8_t>(trimmed[0]));
        if (!value) {
          throw RunError("'" + std::string(text) + "' no es un valor l\xF3gico v\xE1lido");
        }
        EditableField(field)[0] = *value ? 'T' : 'F';
        return;
      }
      default:
        ThrowCannotWrite(field, "escritura");
    }
  }

  void SetBoolean(std::size_t field, bool value) {
    switch (layout.fields[field].type) {
      case 'L':
        EditableField(field)[0] = value ? 'T' : 'F';
        return;
      case 'C':
        return PutText(field, value ? "T" : "F");
      default:
        ThrowCannotWrite(field, "valores l\xF3gicos");
    }
  }

  void SetInteger(std::size_t field, std::int32_t value) {
    if (layout.fields[field].type == 'C') return PutText(field, std::to_string(value));
    PutNumber(field, value);
  }

  void SetFloat(std::size_t field, double value) {
    if (layout.fields[field].type == 'C') return PutText(field, FloatToStr(value));
    PutNumber(field, value);
  }

  // --- changing rows ---------------------------------------------------------------------

  void BeginChange() {
    if (file->ReadOnly()) {
      throw RunError("La tabla " + Named(name, path) + " es de solo lectura");
    }
    if (!indexProblem.empty()) {
      throw RunError("No se puede modificar la tabla " + Named(name, path) + ": " + indexProblem);
    }
  }

  // Leaving a row that was being appended or edited posts it when a field was written,
  // and drops it otherwise, as a dataset does when it moves.
  void SettleRow() {
    if (state == State::Browse) return;
    if (editTouched) {
      Post();
    } else {
      state = State::Browse;
    }
  }

  void Post() {
    if (state == State::Browse) return;
    const std::size_t length = RecordLength();
    if (state == State::Appending) {
      if (recordCount == std::numeric_limits<std::uint32_t>::max() - 1) {
        throw RunError("La tabla " + Named(name, path) + " no admite m\xE1s filas");
      }
      pending.insert(pending.end(), editRow.begin(), editRow.end());
      current = recordCount++;
      if (liveCount) ++*liveCount;
    } else if (current >= flushedCount) {
      std::memcpy(pending.data() + (current - flushedCount) * length, editRow.data(), length);
    } else {
      WriteAt(RecordOffset(current), editRow);
      if (current >= cacheFirst && current < cacheFirst + cacheCount) {
        std::memcpy(cache.data() + (current - cacheFirst) * length, editRow.data(), length);
      }
    }
    state = State::Browse;
    eof = false;
    modified = true;
    if (pending.size() >= kAppendBatchBytes) Flush();
  }

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    try {
      file->WriteAt(offset, bytes);
    } catch (const files::FileError& error) {
      ThrowFileError(name, error);
    }
  }

  // Writes the waiting rows, then the record count that covers them.
  void Flush() {
    if (pending.empty()) return;
    WriteAt(RecordOffset(flushedCount), pending);
    flushedCount = recordCount;
    pending.clear();
    std::uint8_t count[4];
    dbf::WriteLe32(count, flushedCount);
    WriteAt(4, count);
  }

  void WriteIndex() {
    std::vector<mdx::TagContent> contents;
    for (std::size_t t = 0; t < tags.size(); ++t) {
      mdx::TagContent content;
      content.definition = tags[t];
      content.keys.reserve(recordCount);
      contents.push_back(std::move(content));
    }
    // Deleted rows keep their keys, as in every dBase index.
    for (std::uint32_t row = 0; row < recordCount; ++row) {
      const std::uint8_t* record = Record(row);
      for (std::size_t t = 0; t < tags.size(); ++t) {
        const auto bytes = FieldBytes(record, tagFields[t]);
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        contents[t].keys.push_back(mdx::KeyEntry{mdx::EncodeNumericKey(text), row + 1});
      }
    }
    mdx::IndexFileInfo info;
    info.tableName = name;
    info.languageDriver = layout.header.languageDriver;
    info.date = Today().IndexDate();
    const std::vector<std::uint8_t> bytes = mdx::BuildIndexFile(info, std::move(contents));
    WriteFileAtomically(indexPath, bytes, IndexWriteFailure(name));
  }

  // --- opening and closing -------------------------------------------------------------

  void Open(const std::filesystem::path& where) {
    if (!files::FolderExists(where)) {
      throw RunError("No se puede abrir la tabla " + name + ": no existe la carpeta " +
                     PathToAnsi(where));
    }
    std::filesystem::path found = FindFileIgnoringCase(where, name + ".DBF");
    if (found.empty()) {
      throw RunError("No existe la tabla " + Named(name, where / (name + ".DBF")));
    }
    std::optional<files::LockedFile> opened;
    dbf::Layout decoded;
    try {
      opened = files::LockedFile::TryOpen(found, files::LockedFile::Mode::OpenExisting);
      if (!opened) ThrowInUse(name, found);
      const std::uint64_t size = opened->Size();
      std::vector<std::uint8_t> head(
          static_cast<std::size_t>(std::min<std::uint64_t>(size, kLargestHeader)));
      head.resize(opened->ReadAt(0, head));
      decoded = dbf::DecodeLayout(head, size);
    } catch (const files::FileError& error) {
      ThrowFileError(name, error);
    } catch (const dbf::FormatError& error) {
      throw RunError("La tabla " + Named(name, found) +
                     " est\xE1 da\xF1"
                     "ada: " +
                     error.what());
    }
    // Nothing can fail from here on: the table becomes open in one step.
    folder = where;
    path = found;
    layout = std::move(decoded);
    file = std::move(opened);
    recordCount = flushedCount = layout.header.recordCount;
    blankRow.assign(RecordLength(), ' ');
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      std::fill_n(blankRow.begin() + static_cast<std::ptrdiff_t>(layout.offsets[i]),
                  layout.fields[i].length, BlankByte(layout.fields[i].type));
    }
    LoadIndexDefinitions();
    current = FirstLiveFrom(0);
    eof = current == kNoRow;
  }

  // Learns the tags of the production index so that Close can rebuild it. A table whose
  // index we cannot keep can still be read; changing it is refused (see BeginChange).
  void LoadIndexDefinitions() {
    tags.clear();
    tagFields.clear();
    indexProblem.clear();
    indexPath.clear();
    if (layout.header.productionIndex != 1) return;
    indexPath = FindFileIgnoringCase(folder, name + ".MDX");
    if (indexPath.empty()) {
      indexProblem = "falta su \xEDndice " + name + ".MDX";
      return;
    }
    // Close replaces the index, which is never done to a read-only file: changes are
    // refused up front rather than leaving the rows written and the index behind.
    if (!files::MayWrite(indexPath)) {
      indexProblem = "su \xEDndice " + name + ".MDX es de solo lectura";
      return;
    }
    try {
      tags = mdx::ReadTagDefinitions(indexPath);
      for (const mdx::TagDefinition& tag : tags) {
        auto it = std::find_if(
            layout.fields.begin(), layout.fields.end(),
            [&](const dbf::FieldDescriptor& f) { return dbf::NamesEqual(f.name, tag.field); });
        if (it == layout.fields.end() || (it->type != 'N' && it->type != 'F')) {
          throw dbf::FormatError("la etiqueta " + tag.name +
                                 " no es una clave sobre un campo "
                                 "num\xE9rico de la tabla");
        }
        tagFields.push_back(static_cast<std::size_t>(it - layout.fields.begin()));
      }
    } catch (const dbf::FormatError& error) {
      indexProblem = std::string("su \xEDndice no se puede mantener: ") + error.what();
    } catch (const files::FileError& error) {
      indexProblem = "su \xEDndice no se puede leer: " + Utf8ToAnsi(error.code().message());
    }
  }

  void Close() {
    if (!file) return;
    state = State::Browse;  // a row never posted is dropped
    try {
      if (modified) {
        Flush();
        dbf::Header header = layout.header;
        header.recordCount = recordCount;
        Today().Stamp(header);
        std::vector<std::uint8_t> bytes(header.EncodedSize());
        header.EncodeTo(bytes);
        WriteAt(0, bytes);
        const std::uint8_t endOfFile[1] = {dbf::kEndOfFile};
        WriteAt(RecordOffset(recordCount), endOfFile);
        file->Truncate(RecordOffset(recordCount) + 1);
        if (!tags.empty()) WriteIndex();
      }
      file->Close();
    } catch (const files::FileError& error) {
      Reset();
      ThrowFileError(name, error);
    } catch (...) {
      Reset();
      throw;
    }
    Reset();
  }

  // Forgets the open table; dropping the file releases its lock.
  void Reset() noexcept {
    file.reset();
    pending.clear();
    pending.shrink_to_fit();
    cache.clear();
    cache.shrink_to_fit();
    cacheFirst = cacheCount = 0;
    recordCount = flushedCount = 0;
    liveCount.reset();
    current = kNoRow;
    eof = true;
    state = State::Browse;
    modified = false;
    tags.clear();
    tagFields.clear();
  }
};

// --- files ------------------------------------------------------------------------------

void CreateTable(const std::filesystem::path& folder, std::string_view tableName,
                 const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
  const std::string name(tableName);
  if (!files::FolderExists(folder)) {
    throw RunError("No se puede crear la tabla " + name + ": no existe la carpeta " +
                   PathToAnsi(folder));
  }
  dbf::Schema schema = dbf::MakeSchema(tableName, fields, indexes);
  const Today today;
  today.Stamp(schema.layout.header);
  const std::string dataName = name + ".DBF";
  const std::string indexName = name + ".MDX";
  const std::filesystem::path target = folder / dataName;
  try {
    // Every spelling of the table's file is locked before anything changes: if any is
    // in use, the table is left exactly as it was.
    std::optional<files::LockedFile> mine;
    std::vector<files::LockedFile> others;
    for (const std::filesystem::path& variant : files::FindCaseVariants(folder, dataName)) {
      std::optional<files::LockedFile> locked =
          files::LockedFile::TryOpen(variant, files::LockedFile::Mode::OpenExisting);
      if (!locked) ThrowInUse(name, variant);
      if (variant.filename() == dataName) {
        mine = std::move(locked);
      } else {
        others.push_back(std::move(*locked));
      }
    }
    if (!mine) mine = files::LockedFile::TryOpen(target, files::LockedFile::Mode::CreateIfMissing);
    if (!mine) ThrowInUse(name, target);
    if (mine->ReadOnly()) {
      throw RunError("No se puede crear la tabla " + Named(name, target) +
                     ": el archivo es de solo lectura");
    }
    std::vector<std::uint8_t> bytes = schema.layout.Encode();
    bytes.push_back(dbf::kEndOfFile);
    mine->Truncate(0);
    mine->WriteAt(0, bytes);
    for (const files::LockedFile& other : others) files::DeleteFile(other.path());

    for (const std::filesystem::path& variant : files::FindCaseVariants(folder, indexName)) {
      if (variant.filename() != indexName || schema.tags.empty()) files::DeleteFile(variant);
    }
    if (!schema.tags.empty()) {
      std::vector<mdx::TagContent> contents;
      for (const mdx::TagDefinition& tag : schema.tags) contents.push_back({tag, {}});
      mdx::IndexFileInfo info{name, schema.layout.header.languageDriver, today.IndexDate()};
      WriteFileAtomically(folder / indexName, mdx::BuildIndexFile(info, std::move(contents)),
                          IndexWriteFailure(name));
    }
    mine->Close();
  } catch (const files::FileError& error) {
    ThrowFileError(name, error);
  }
}

void DeleteTableFiles(const std::filesystem::path& folder, std::string_view tableName) {
  const std::string name(tableName);
  bool dataHeld = false;
  for (const std::filesystem::path& variant : files::FindCaseVariants(folder, name + ".DBF")) {
    if (!files::DeleteUnlessHeld(variant) && files::IsHeld(variant)) dataHeld = true;
  }
  // The index of a table in use is in use too: it stays with its table.
  if (dataHeld) return;
  for (const std::filesystem::path& variant : files::FindCaseVariants(folder, name + ".MDX")) {
    files::DeleteUnlessHeld(variant);
  }
}

void RebuildTable(const std::filesystem::path& folder, std::string_view tableName,
                  const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
  DeleteTableFiles(folder, tableName);
  CreateTable(folder, tableName, fields, indexes);
}

// --- Table ------------------------------------------------------------------------------

Table::Table(std::string tableName) : impl_(std::make_unique<Impl>(std::move(tableName))) {}

Table::~Table() {
  CloseQuietly();
}

Table::Table(Table&&) noexcept = default;

Table& Table::operator=(Table&& other) noexcept {
  if (this != &other) {
    CloseQuietly();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

const std::string& Table::TableName() const {
  return impl_->name;
}

void Table::Open(const std::filesystem::path& folder) {
  if (impl_->file) {
    if (impl_->folder == folder) return;
    Close();
  }
  impl_->Open(folder);
}

void Table::Close() {
  impl_->Close();
}

void Table::CloseQuietly() noexcept {
  if (!impl_) return;
  try {
    impl_->Close();
  } catch (...) {
    impl_->Reset();
  }
}

bool Table::IsOpen() const {
  return impl_->file.has_value();
}

std::filesystem::path Table::Path() const {
  return impl_->path;
}

void Table::First() {
  impl_->RequireOpen();
  impl_->SettleRow();
  impl_->current = impl_->FirstLiveFrom(0);
  impl_->eof = impl_->current == kNoRow;
}

void Table::Next() {
  impl_->RequireOpen();
  impl_->SettleRow();
  if (impl_->current == kNoRow) {
    impl_->eof = true;
    return;
  }
  // At the end the last row stays current, as in a dataset.
  const std::uint32_t next = impl_->FirstLiveFrom(impl_->current + 1);
  if (next == kNoRow) {
    impl_->eof = true;
  } else {
    impl_->current = next;
    impl_->eof = false;
  }
}

bool Table::Eof() const {
  return !impl_->file || impl_->eof;
}

std::int64_t Table::RecordCount() const {
  impl_->RequireOpen();
  if (!impl_->liveCount) {
    std::int64_t live = 0;
    for (std::uint32_t row = 0; row < impl_->recordCount; ++row) live += impl_->Live(row) ? 1 : 0;
    impl_->liveCount = live;
  }
  return *impl_->liveCount;
}

void Table::Append() {
  impl_->RequireOpen();
  impl_->SettleRow();
  impl_->BeginChange();
  impl_->editRow = impl_->blankRow;
  impl_->editTouched = false;
  impl_->state = Impl::State::Appending;
}

void Table::Edit() {
  impl_->RequireOpen();
  if (impl_->state != Impl::State::Browse) return;
  if (impl_->current == kNoRow) {
    throw RunError("La tabla " + Named(impl_->name, impl_->path) +
                   " no tiene ninguna fila que editar");
  }
  impl_->BeginChange();
  const std::uint8_t* row = impl_->Record(impl_->current);
  impl_->editRow.assign(row, row + impl_->RecordLength());
  impl_->editTouched = false;
  impl_->state = Impl::State::Editing;
}

void Table::Post() {
  impl_->RequireOpen();
  impl_->Post();
}

bool Table::Locate(std::string_view field, std::string_view text) {
  Impl& t = *impl_;
  t.RequireOpen();
  t.SettleRow();
  const std::size_t index = t.FieldIndex(field);
  const dbf::FieldDescriptor& descriptor = t.layout.fields[index];
  const std::size_t offset = t.layout.offsets[index];
  if (descriptor.type == 'C') {
    // Compare the stored bytes: the text, then fill to the field's end. Like a dBase
    // engine, we compare the text as the field would store it, so blanks at its end are
    // fill too; a text longer than the field is never stored whole, so it never matches.
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() > descriptor.length) return false;
    for (std::uint32_t row = 0; row < t.recordCount; ++row) {
      const std::uint8_t* record = t.Record(row);
      if (record[0] == dbf::kDeletedRecord) continue;
      const std::uint8_t* value = record + offset;
      if (std::memcmp(value, text.data(), text.size()) != 0) continue;
      if (!std::all_of(value + text.size(), value + descriptor.length, IsFill)) continue;
      t.current = row;
      t.eof = false;
      return true;
    }
    return false;
  }
  for (std::uint32_t row = 0; row < t.recordCount; ++row) {
    const std::uint8_t* record = t.Record(row);
    if (record[0] == dbf::kDeletedRecord || t.TextOf(record, index) != text) continue;
    t.current = row;
    t.eof = false;
    return true;
  }
  return false;
}

void Table::SetText(std::string_view field, std::string_view ansiText) {
  impl_->RequireOpen();
  impl_->SetText(impl_->FieldIndex(field), ansiText);
}

void Table::SetBoolean(std::string_view field, bool value) {
  impl_->RequireOpen();
  impl_->SetBoolean(impl_->FieldIndex(field), value);
}

void Table::SetInteger(std::string_view field, std::int32_t value) {
  impl_->RequireOpen();
  impl_->SetInteger(impl_->FieldIndex(field), value);
}

void Table::SetFloat(std::string_view field, double value) {
  impl_->RequireOpen();
  impl_->SetFloat(impl_->FieldIndex(field), value);
}

std::string Table::Text(std::string_view field) const {
  impl_->RequireOpen();
  return impl_->TextOf(impl_->CurrentRow(), impl_->FieldIndex(field));
}

std::string Table::Text(std::size_t position) const {
  impl_->RequireOpen();
  return impl_->TextOf(impl_->CurrentRow(), impl_->CheckedPosition(position));
}

std::int32_t Table::Integer(std::string_view field) const {
  impl_->RequireOpen();
  return impl_->IntegerOf(impl_->CurrentRow(), impl_->FieldIndex(field));
}

std::int32_t Table::Integer(std::size_t position) const {
  impl_->RequireOpen();
  return impl_->IntegerOf(impl_->CurrentRow(), impl_->CheckedPosition(position));
}

double Table::Float(std::string_view field) const {
  impl_->RequireOpen();
  return impl_->FloatOf(impl_->CurrentRow(), impl_->FieldIndex(field));
}

double Table::Float(std::size_t position) const {
  impl_->RequireOpen();
  return impl_->FloatOf(impl_->CurrentRow(), impl_->CheckedPosition(position));
}

bool Table::IsBlank(std::string_view field) const {
  impl_->RequireOpen();
  const std::size_t index = impl_->FieldIndex(field);
  const auto bytes = impl_->FieldBytes(impl_->CurrentRow(), index);
  if (impl_->layout.fields[index].type == 'L' && bytes[0] == '?') return true;
  return std::all_of(bytes.begin(), bytes.end(), IsFill);
}

std::vector<FieldInfo> Table::Fields() const {
  impl_->RequireOpen();
  std::vector<FieldInfo> fields;
  for (const dbf::FieldDescriptor& descriptor : impl_->layout.fields) {
    fields.push_back(
        FieldInfo{descriptor.name, descriptor.type, descriptor.length, descriptor.decimals});
  }
  return fields;
}

}  // namespace tto
