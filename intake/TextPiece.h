#pragma once

#include <cstddef>
#include <string_view>

namespace tto {

// Characters `index` to `index + count - 1` of text, counting from 1. Where the text ends
// sooner the piece is shorter, or empty: fixed-position texts (slot entries, hours) are cut
// this way, so a short text never reads outside itself.
inline std::string_view TextPiece(std::string_view text, std::size_t index, std::size_t count) {
  if (index == 0 || index > text.size()) return {};
  return text.substr(index - 1, count);
}

}  // namespace tto
