// The production index of an open table: its tags learnt at Open, and the whole index
// rebuilt from the rows and replaced in one step at Close.

#include "store/TableImpl.h"

#include "store/AtomicFile.h"
#include "store/DbfSchema.h"
#include "store/TableFiles.h"

namespace tto {

using namespace tables;

std::string tables::IndexWriteFailure(const std::string& table) {
  return "No se puede escribir la tabla " + table + " (%s)";
}

void Table::Impl::LoadIndexDefinitions() {
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

void Table::Impl::WriteIndex() {
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

}  // namespace tto
