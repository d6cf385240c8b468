#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tto::testing {

// One row of a table as field name -> text (program text, no fill blanks).
using Row = std::map<std::string, std::string>;

// Every row of FOLDER/NAME.DBF in natural order, read through the table store. The table
// is opened and closed again (so it must not be held).
std::vector<Row> ReadRows(const std::filesystem::path& folder, std::string_view tableName);

// The same rows projected onto a few fields, each row as the fields' texts in that order:
// handy for a table of expected values.
std::vector<std::vector<std::string>> ReadColumns(const std::filesystem::path& folder,
                                                  std::string_view tableName,
                                                  const std::vector<std::string>& fields);

}  // namespace tto::testing
