// Opening a table (exclusively, found whatever its case) and closing it, which writes
// the header, the end of file and the index of a changed table.

#include "store/TableImpl.h"

#include "store/TableFiles.h"

namespace tto {

using namespace tables;

void Table::Impl::Open(const std::filesystem::path& where) {
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

void Table::Impl::Close() {
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

void Table::Impl::Reset() noexcept {
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

}  // namespace tto
