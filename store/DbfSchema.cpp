#include "store/DbfSchema.h"

#include <algorithm>

#include "store/RunError.h"

namespace tto::dbf {

namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool ValidNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

[[noreturn]] void Refuse(std::string_view tableName, const std::string& why) {
  throw RunError("No se puede crear la tabla " + std::string(tableName) + ": " + why);
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

Schema MakeSchema(std::string_view tableName, const std::vector<FieldDef>& fields,
                  const std::vector<IndexDef>& indexes) {
  if (fields.empty()) Refuse(tableName, "no tiene campos");
  if (fields.size() > kMaxFields) Refuse(tableName, "tiene m\xE1s de 255 campos");
  bool level7 = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& field = fields[i];
    if (field.name.empty() || field.name.size() > kMaxLevel7NameLength ||
        !std::all_of(field.name.begin(), field.name.end(), ValidNameCharacter)) {
      Refuse(tableName, "el nombre de campo '" + field.name +
                            "' no es v\xE1lido (de 1 a 31 letras, cifras o _)");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (NamesEqual(fields[j].name, field.name)) {
        Refuse(tableName, "el campo " + field.name + " est\xE1 repetido");
      }
    }
    if (field.kind == FieldKind::Text && (field.width < 1 || field.width > kMaxTextWidth)) {
      Refuse(tableName, "el campo de texto " + field.name + " tiene anchura " +
                            std::to_string(field.width) + " (de 1 a 254)");
    }
    // Names beyond ten characters exist only at level 7; a shorter level would cut them
    // and Velmora reads them by their whole names.
    if (field.name.size() > kMaxNameLength) level7 = true;
  }
  if (level7 && !indexes.empty()) {
    Refuse(tableName,
           "sus nombres de campo de m\xE1s de 10 caracteres exigen dBase nivel 7, "
           "y este programa no escribe \xEDndices para ese nivel");
  }

  Schema schema;
  Header& header = schema.layout.header;
  header.version = level7 ? kVersionLevel7 : kVersionLevel4;
  header.languageDriver = level7 ? 0 : kLanguageDriverWEurope;
  header.languageDriverName = level7 ? kLanguageDriverNameWEurope : "";
  for (const FieldDef& field : fields) {
    FieldDescriptor descriptor;
    descriptor.name = field.name;
    switch (field.kind) {
      case FieldKind::Text:
        descriptor.type = 'C';
        descriptor.length = static_cast<std::uint8_t>(field.width);
        break;
      case FieldKind::Boolean:
        descriptor.type = 'L';
        descriptor.length = 1;
        break;
      case FieldKind::Integer:
        descriptor.type = level7 ? 'I' : 'N';
        descriptor.length = static_cast<std::uint8_t>(level7 ? kLongWidth : kIntegerWidth);
        break;
      case FieldKind::Float:
        descriptor.type = level7 ? 'O' : 'N';
        descriptor.length = static_cast<std::uint8_t>(level7 ? kDoubleWidth : kFloatWidth);
        descriptor.decimals = static_cast<std::uint8_t>(level7 ? 0 : kFloatDecimals);
        break;
    }
    schema.layout.fields.push_back(descriptor);
  }

  if (indexes.size() > mdx::kMaxTags) Refuse(tableName, "tiene m\xE1s de 47 \xEDndices");
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    const IndexDef& index = indexes[i];
    if (index.name.empty() || index.name.size() > mdx::kMaxTagNameLength ||
        !std::all_of(index.name.begin(), index.name.end(), ValidNameCharacter)) {
      Refuse(tableName, "el nombre de \xEDndice '" + index.name +
                            "' no es v\xE1lido (de 1 a 10 letras, cifras o _)");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (NamesEqual(indexes[j].name, index.name)) {
        Refuse(tableName, "el \xEDndice " + index.name + " est\xE1 repetido");
      }
    }
    auto field = std::find_if(fields.begin(), fields.end(),
                              [&](const FieldDef& f) { return NamesEqual(f.name, index.field); });
    if (field == fields.end()) {
      Refuse(tableName, "el \xEDndice " + index.name + " se refiere al campo " + index.field +
                            ", que la tabla no tiene");
    }
    if (field->kind != FieldKind::Integer && field->kind != FieldKind::Float) {
      Refuse(tableName, "el \xEDndice " + index.name + " est\xE1 sobre el campo " + field->name +
                            ", y solo se escriben \xEDndices sobre campos num\xE9ricos");
    }
    std::string upperName = index.name;
    std::transform(upperName.begin(), upperName.end(), upperName.begin(), AsciiUpper);
    schema.tags.push_back(mdx::TagDefinition{upperName, field->name});
    schema.layout.fields[static_cast<std::size_t>(field - fields.begin())].productionIndex = 1;
  }
  header.productionIndex = schema.tags.empty() ? 0 : 1;
  schema.layout.ComputeLengths();
  return schema;
}

}  // namespace tto::dbf
