#include "core/TableDump.h"

#include "store/AnsiText.h"

namespace tto {

std::string DumpTable(Table& table) {
  const std::vector<FieldInfo> fields = table.Fields();
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += " | ";
    out += AnsiToUtf8(fields[i].name) + ' ' + fields[i].type + ' ' +
           std::to_string(fields[i].width) + ' ' + std::to_string(fields[i].decimals);
  }
  out += '\n';
  for (table.First(); !table.Eof(); table.Next()) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out += " | ";
      out += AnsiToUtf8(table.Text(i));
    }
    out += '\n';
  }
  return out;
}

}  // namespace tto
