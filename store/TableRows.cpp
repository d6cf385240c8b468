// The record buffer of an open table: rows read from the file in blocks, appended rows
// held and written in batches that keep the file a whole table at every moment, and the
// row being appended or edited.

#include "store/TableImpl.h"

#include <cstring>

#include "store/DbfSchema.h"

namespace tto {

using namespace tables;

void Table::Impl::ThrowDamaged(const std::string& what) const {
  throw RunError("La tabla " + Named(name, path) +
                 " est\xE1 da\xF1"
                 "ada: " +
                 what);
}

void Table::Impl::LoadCache(std::uint32_t row) const {
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

std::uint32_t Table::Impl::FirstLiveFrom(std::uint32_t row) const {
  for (; row < recordCount; ++row) {
    if (Live(row)) return row;
  }
  return kNoRow;
}

std::size_t Table::Impl::FieldIndex(std::string_view field) const {
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

std::size_t Table::Impl::CheckedPosition(std::size_t position) const {
  if (position >= layout.fields.size()) {
    throw RunError("La tabla " + Named(name, path) + " no tiene campo n\xFAmero " +
                   std::to_string(position + 1));
  }
  return position;
}

void Table::Impl::BeginChange() {
  if (file->ReadOnly()) {
    throw RunError("La tabla " + Named(name, path) + " es de solo lectura");
  }
  if (!indexProblem.empty()) {
    throw RunError("No se puede modificar la tabla " + Named(name, path) + ": " + indexProblem);
  }
}

void Table::Impl::SettleRow() {
  if (state == State::Browse) return;
  if (editTouched) {
    Post();
  } else {
    state = State::Browse;
  }
}

void Table::Impl::Post() {
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

void Table::Impl::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  try {
    file->WriteAt(offset, bytes);
  } catch (const files::FileError& error) {
    ThrowFileError(name, error);
  }
}

void Table::Impl::Flush() {
  if (pending.empty()) return;
  WriteAt(RecordOffset(flushedCount), pending);
  flushedCount = recordCount;
  pending.clear();
  std::uint8_t count[4];
  dbf::WriteLe32(count, flushedCount);
  WriteAt(4, count);
}

}  // namespace tto
