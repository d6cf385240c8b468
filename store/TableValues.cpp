// Field values of an open table: each dBase type read as text, integer or float, and
// written from them, as a dataset's fields convert.

#include "store/TableImpl.h"

#include <cmath>
#include <cstring>

#include "store/Conversions.h"
#include "store/DbfValues.h"
#include "store/RegionalSettings.h"

namespace tto {

using namespace tables;

namespace {

std::string TrimBlanks(std::string text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  const std::size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
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

void Table::Impl::ThrowNotNumber(std::size_t field, const std::string& text) const {
  throw RunError("El campo " + layout.fields[field].name + " de la tabla " + Named(name, path) +
                 " contiene '" + text + "', que no es un n\xFAmero");
}

void Table::Impl::ThrowCannotRead(std::size_t field, const char* as) const {
  throw RunError("El campo " + layout.fields[field].name + " de la tabla " + Named(name, path) +
                 " no se puede leer como " + as);
}

std::optional<double> Table::Impl::NumberOf(const std::uint8_t* row, std::size_t field) const {
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

std::string Table::Impl::TextOf(const std::uint8_t* row, std::size_t field) const {
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

std::int32_t Table::Impl::RoundToInteger(std::size_t field, double value) const {
  // Delphi's Round: halves go to the even neighbour, as the default rounding mode does.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    throw RunError("El valor " + FloatToStr(value) + " del campo " + layout.fields[field].name +
                   " de la tabla " + Named(name, path) + " no cabe en un entero");
  }
  return static_cast<std::int32_t>(rounded);
}

std::int32_t Table::Impl::IntegerOf(const std::uint8_t* row, std::size_t field) const {
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

double Table::Impl::FloatOf(const std::uint8_t* row, std::size_t field) const {
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

std::span<std::uint8_t> Table::Impl::EditableField(std::size_t field) {
  if (state == State::Browse) {
    throw RunError("La tabla " + Named(name, path) +
                   " no est\xE1 en modo de edici\xF3n (falta Append o Edit)");
  }
  editTouched = true;
  return {editRow.data() + layout.offsets[field], layout.fields[field].length};
}

void Table::Impl::ThrowCannotWrite(std::size_t field, const char* what) const {
  throw RunError("El campo " + layout.fields[field].name + " (tipo " + layout.fields[field].type +
                 ") de la tabla " + Named(name, path) + " no admite " + what);
}

void Table::Impl::PutBlank(std::size_t field) {
  auto out = EditableField(field);
  std::fill(out.begin(), out.end(), BlankByte(layout.fields[field].type));
}

void Table::Impl::PutText(std::size_t field, std::string_view text) {
  auto out = EditableField(field);
  const std::size_t n = std::min(text.size(), out.size());
  std::memcpy(out.data(), text.data(), n);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), std::uint8_t{' '});
}

void Table::Impl::PutNumber(std::size_t field, double value) {
  const dbf::FieldDescriptor& descriptor = layout.fields[field];
  auto out = EditableField(field);
  switch (descriptor.type) {
    case 'N':
    case 'F':
      if (!dbf::EncodeNumeric(value, descriptor.decimals, out)) {
        throw RunError("El valor " + FloatToStr(value) + " no cabe en el campo " + descriptor.name +
                       " (N(" + std::to_string(descriptor.length) + "," +
                       std::to_string(descriptor.decimals) + ")) de la tabla " + Named(name, path));
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

void Table::Impl::SetText(std::size_t field, std::string_view text) {
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

void Table::Impl::SetBoolean(std::size_t field, bool value) {
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

void Table::Impl::SetInteger(std::size_t field, std::int32_t value) {
  if (layout.fields[field].type == 'C') return PutText(field, std::to_string(value));
  PutNumber(field, value);
}

void Table::Impl::SetFloat(std::size_t field, double value) {
  if (layout.fields[field].type == 'C') return PutText(field, FloatToStr(value));
  PutNumber(field, value);
}

}  // namespace tto
