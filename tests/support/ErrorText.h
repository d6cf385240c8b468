#pragma once

#include <functional>
#include <string>

#include "store/RunError.h"

namespace tto::testing {

// The text of the RunError that the action raises, or "<no error>" when it raises none.
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunError& error) {
    return error.what();
  }
  return "<no error>";
}

}  // namespace tto::testing
