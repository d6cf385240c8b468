// The public face of a table: the component's lifetime, the cursor and its walk in
// natural order, Locate, and field reads and writes on the current row.

#include "store/TableImpl.h"

#include <algorithm>
#include <cstring>

namespace tto {

using namespace tables;

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
