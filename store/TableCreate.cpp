// Creating a table's files and deleting them, with Windows' rule that a file in use
// stays.

#include "store/TableImpl.h"

#include "store/AtomicFile.h"
#include "store/DbfSchema.h"
#include "store/TableFiles.h"

namespace tto {

using namespace tables;

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

}  // namespace tto
