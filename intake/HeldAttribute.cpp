#include "intake/HeldAttribute.h"

#include <libxml/tree.h>

namespace tto {
namespace {

std::string_view Chars(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}

// The attribute named as written in the file ("prefix:local" for a prefixed one), which is
// how the document service finds attributes too.
bool QualifiedNameIs(const xmlAttr* attribute, std::string_view name) {
  const std::string_view local = Chars(attribute->name);
  if (attribute->ns != nullptr && attribute->ns->prefix != nullptr) {
    const std::string_view prefix = Chars(attribute->ns->prefix);
    if (name.size() != prefix.size() + 1 + local.size() || !name.starts_with(prefix) ||
        name[prefix.size()] != ':') {
      return false;
    }
    name.remove_prefix(prefix.size() + 1);
  }
  return name == local;
}

}  // namespace

std::string AttributeTextAsHeld(const XmlNode& element, std::string_view name) {
  // Raises the document service's own error for an element lacking the attribute.
  (void)element.AttributeText(name);

  const xmlAttr* attribute = element.Raw()->properties;
  while (attribute != nullptr && !QualifiedNameIs(attribute, name)) attribute = attribute->next;
  if (attribute == nullptr) return {};

  // Entity references were expanded when the file was read: the value is its text nodes.
  std::string held;
  for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE && child->content != nullptr) held += Chars(child->content);
  }
  // Trimming bytes at or below the blank trims exactly the characters at or below U+0020:
  // every byte of a multi-byte UTF-8 sequence is above 0x7F.
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t first = 0;
  std::size_t last = held.size();
  while (first < last && blank(held[first])) ++first;
  while (last > first && blank(held[last - 1])) --last;
  return held.substr(first, last - first);
}

}  // namespace tto
