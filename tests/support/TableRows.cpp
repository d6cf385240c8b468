#include "tests/support/TableRows.h"

#include "store/Table.h"

namespace tto::testing {

std::vector<Row> ReadRows(const std::filesystem::path& folder, std::string_view tableName) {
  Table table{std::string(tableName)};
  OpenTable open(table, folder);
  const std::vector<FieldInfo> fields = table.Fields();
  std::vector<Row> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    Row row;
    for (std::size_t i = 0; i < fields.size(); ++i) row[fields[i].name] = table.Text(i);
    rows.push_back(std::move(row));
  }
  open.Close();
  return rows;
}

std::vector<std::vector<std::string>> ReadColumns(const std::filesystem::path& folder,
                                                  std::string_view tableName,
                                                  const std::vector<std::string>& fields) {
  std::vector<std::vector<std::string>> columns;
  for (const Row& row : ReadRows(folder, tableName)) {
    std::vector<std::string> values;
    for (const std::string& field : fields) {
      auto it = row.find(field);
      values.push_back(it == row.end() ? "<no field " + field + ">" : it->second);
    }
    columns.push_back(std::move(values));
  }
  return columns;
}

}  // namespace tto::testing
