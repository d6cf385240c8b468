#pragma once

#include "store/XmlDocument.h"

namespace tto {

// Every intake builder takes the elements of its main list only when the list holds at
// least two of them: a school file with a single teacher (or room, subject, ...) gives the
// same empty table as one with none.
inline bool TakesMainList(const XmlNodeList& list) {
  return list.Count() >= 2;
}

}  // namespace tto
