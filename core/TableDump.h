#pragma once

#include <string>

#include "store/Table.h"

namespace tto {

// A table as text, for `transtarvos dump` and for golden files: a first line with the
// fields ("NAME TYPE WIDTH DECIMALS", separated by " | "), then one line per row in natural
// order with each field's text separated by " | ". Text is UTF-8. The table must be open;
// it is left at its end.
std::string DumpTable(Table& table);

}  // namespace tto
