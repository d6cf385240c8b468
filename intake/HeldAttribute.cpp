#include "intake/HeldAttribute.h"

#include <libxml/tree.h>

#include <memory>

namespace tto {

std::string AttributeTextAsHeld(const XmlNode& element, std::string_view name) {
  // Raises the document service's own error for an element lacking the attribute.
  (void)element.AttributeText(name);

  const std::string attributeName(name);
  std::unique_ptr<xmlChar, decltype(xmlFree)> value(
      xmlGetProp(element.Raw(), reinterpret_cast<const xmlChar*>(attributeName.c_str())), xmlFree);
  if (!value) return {};
  std::string_view held(reinterpret_cast<const char*>(value.get()));
  // Trimming bytes at or below the blank trims exactly the characters at or below U+0020:
  // every byte of a multi-byte UTF-8 sequence is above 0x7F.
  while (!held.empty() && static_cast<unsigned char>(held.front()) <= 0x20) held.remove_prefix(1);
  while (!held.empty() && static_cast<unsigned char>(held.back()) <= 0x20) held.remove_suffix(1);
  return std::string(held);
}

}  // namespace tto
