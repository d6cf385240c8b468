#pragma once

#include <string>
#include <string_view>

#include "store/XmlDocument.h"

namespace tto {

// The attribute's value as the document holds it, in UTF-8, trimmed like attribute text.
// Program text has lost every character that Windows-1252 lacks (each became '?'), so a
// value read as program text equals a value held by the document only when it reads back
// to the same characters: AnsiToUtf8(programText) == AttributeTextAsHeld(...). An element
// lacking the attribute is the same error as AttributeText.
std::string AttributeTextAsHeld(const XmlNode& element, std::string_view name);

}  // namespace tto
