#pragma once

#include <stdexcept>
#include <string>

namespace tto {

// The one error type that ends a run. Its text is what the person at the screen reads,
// in program text (Windows-1252), naming what went wrong and where: the table and its
// path, the element and attribute with its line, the text that did not convert.
// Front ends convert it to UTF-8 for display; runs catch it in one place.
class RunError : public std::runtime_error {
 public:
  explicit RunError(const std::string& ansiText) : std::runtime_error(ansiText) {}
};

}  // namespace tto
