#include "store/MdxIndex.h"

#include <algorithm>

#include "store/DbfFormat.h"
#include "store/TableFiles.h"

namespace tto::mdx {

namespace {

using dbf::FormatError;

// A node already placed: its page and the highest key it (or its subtree) holds.
struct Placed {
  std::uint32_t page = 0;
  NumericKey high{};
};

// Splits count items into the fewest groups of at most capacity, as even as possible,
// so that no node is left nearly empty at the end of a level.
std::vector<std::size_t> GroupSizes(std::size_t count, std::size_t capacity) {
  const std::size_t groups = std::max<std::size_t>(1, (count + capacity - 1) / capacity);
  std::vector<std::size_t> sizes(groups, count / groups);
  for (std::size_t i = 0; i < count % groups; ++i) ++sizes[i];
  return sizes;
}

class PageWriter {
 public:
  std::uint32_t Allocate() {
    const std::uint32_t page = next_;
    next_ += kBlockPages;
    bytes_.resize(static_cast<std::size_t>(next_) * kPageSize, 0);
    return page;
  }
  std::span<std::uint8_t> Block(std::uint32_t page) {
    return std::span(bytes_).subspan(static_cast<std::size_t>(page) * kPageSize, kBlockSize);
  }
  std::uint32_t Pages() const { return next_; }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::uint32_t next_ = kFirstTagPage;
  std::vector<std::uint8_t> bytes_ = std::vector<std::uint8_t>(kFirstTagPage * kPageSize, 0);
};

// Writes one tag's B-tree, bottom up; answers the tag header describing it.
TagHeader WriteTree(PageWriter& writer, std::vector<KeyEntry>& keys) {
  std::stable_sort(keys.begin(), keys.end(), [](const KeyEntry& a, const KeyEntry& b) {
    const int order = CompareNumericKeys(a.key, b.key);
    return order != 0 ? order < 0 : a.record < b.record;
  });
  TagHeader header;
  std::uint32_t previous = 0;
  auto place = [&](Node& node) {
    const std::uint32_t page = writer.Allocate();
    node.previousPage = previous;
    previous = page;
    node.EncodeTo(writer.Block(page));
    return page;
  };

  std::vector<Placed> level;
  std::size_t at = 0;
  for (std::size_t size : GroupSizes(keys.size(), kMaxKeysPerNode)) {
    Node leaf;
    for (std::size_t i = 0; i < size; ++i, ++at)
      leaf.entries.emplace_back(keys[at].record, keys[at].key);
    const std::uint32_t page = place(leaf);
    level.push_back(Placed{page, size > 0 ? keys[at - 1].key : NumericKey{}});
  }
  header.firstLeafPage = level.front().page;
  std::size_t nodes = level.size();
  while (level.size() > 1) {
    std::vector<Placed> upper;
    std::size_t child = 0;
    for (std::size_t size : GroupSizes(level.size(), kMaxKeysPerBranch + 1)) {
      Node branch;
      for (std::size_t i = 0; i + 1 < size; ++i, ++child) {
        branch.entries.emplace_back(level[child].page, level[child].high);
      }
      branch.rightChild = level[child].page;
      const NumericKey high = level[child].high;
      ++child;
      upper.push_back(Placed{place(branch), high});
    }
    nodes += upper.size();
    level = std::move(upper);
  }
  header.hasKeys = keys.empty() ? 0 : 1;
  header.rootPage = level.front().page;
  header.lastNodePage = previous;
  header.nodePages = static_cast<std::uint32_t>(nodes * kBlockPages);
  return header;
}

// Links the tag entries into the binary tree of names that dBASE keeps: tag 1 is the
// root; each later tag goes left when its name sorts before, right otherwise.
void ThreadTags(std::vector<TagEntry>& entries) {
  for (std::size_t i = 1; i < entries.size(); ++i) {
    std::size_t parent = 0;
    for (;;) {
      std::uint8_t& next = entries[i].name < entries[parent].name ? entries[parent].leftThread
                                                                  : entries[parent].rightThread;
      if (next == 0) {
        next = static_cast<std::uint8_t>(i + 1);
        entries[i].backThread = static_cast<std::uint8_t>(parent + 1);
        break;
      }
      parent = next - 1u;
    }
  }
}

}  // namespace

std::vector<std::uint8_t> BuildIndexFile(const IndexFileInfo& info, std::vector<TagContent> tags) {
  PageWriter writer;
  std::vector<TagEntry> entries;
  for (TagContent& tag : tags) {
    const std::uint32_t headerPage = writer.Allocate();
    TagHeader header = WriteTree(writer, tag.keys);
    header.languageDriver = info.languageDriver;
    header.expression = tag.definition.field;
    header.date = info.date;
    header.EncodeTo(writer.Block(headerPage));
    TagEntry entry;
    entry.headerPage = headerPage;
    entry.name = tag.definition.name;
    entries.push_back(entry);
  }
  ThreadTags(entries);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].EncodeTo(std::span(writer.Bytes()).subspan(kTagTableOffset + i * kTagEntrySize));
  }
  FileHeader header;
  header.created = info.date;
  header.updated = info.date;
  header.tableName = info.tableName;
  header.tagsInUse = static_cast<std::uint16_t>(tags.size());
  header.languageDriver = info.languageDriver;
  header.pages = writer.Pages();
  header.EncodeTo(writer.Bytes());
  return std::move(writer.Bytes());
}

std::vector<TagDefinition> ReadTagDefinitions(const std::filesystem::path& indexFile) {
  const std::vector<std::uint8_t> head =
      files::ReadFileRange(indexFile, 0, kFirstTagPage * kPageSize);
  const FileHeader header = FileHeader::DecodeFrom(head);
  if (header.blockPages == 0 || header.blockBytes != header.blockPages * kPageSize) {
    throw FormatError("el \xEDndice tiene un tama\xF1o de bloque no v\xE1lido");
  }
  if (header.tagEntrySize != kTagEntrySize || header.tagsInUse > kTagSlots) {
    throw FormatError("la tabla de etiquetas del \xEDndice no es v\xE1lida");
  }
  if (head.size() < kTagTableOffset + header.tagsInUse * kTagEntrySize) {
    throw FormatError("la tabla de etiquetas del \xEDndice est\xE1 incompleta");
  }
  std::vector<TagDefinition> definitions;
  for (std::size_t i = 0; i < header.tagsInUse; ++i) {
    const TagEntry entry =
        TagEntry::DecodeFrom(std::span(head).subspan(kTagTableOffset + i * kTagEntrySize));
    const std::vector<std::uint8_t> block = files::ReadFileRange(
        indexFile, static_cast<std::uint64_t>(entry.headerPage) * kPageSize, header.blockBytes);
    if (block.size() < kBlockSize) {
      throw FormatError("la etiqueta " + entry.name + " apunta fuera del \xEDndice");
    }
    const TagHeader tag = TagHeader::DecodeFrom(block);
    const bool keepable = (tag.keyType == 'N' || tag.keyType == 'F') &&
                          (tag.keyFormat & (kDescending | kUnique)) == 0 && tag.unique == 0 &&
                          tag.hasFilter == 0 && !tag.expression.empty() &&
                          tag.expression.find_first_of(" +-*/()'\"") == std::string::npos;
    if (!keepable) {
      throw FormatError("la etiqueta " + entry.name + " (" + tag.expression +
                        ") no es una clave num\xE9rica ascendente sobre un campo");
    }
    definitions.push_back(TagDefinition{entry.name, tag.expression});
  }
  return definitions;
}

}  // namespace tto::mdx
