#include "tests/support/IndependentReaders.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "store/AnsiText.h"
#include "store/MdxFormat.h"
#include "store/MdxIndex.h"
#include "store/Table.h"
#include "tests/support/ScratchFolder.h"

#ifndef TTO_TDBF_READER
#error "TTO_TDBF_READER must name the tdbfread program (tests/CMakeLists.txt)"
#endif
#ifndef TTO_DBFREAD_PYTHON
#define TTO_DBFREAD_PYTHON "/usr/bin/python3"
#endif

namespace tto::testing {

namespace {

// Prints a level-4 table as dbfread sees it: text as hex of its cp1252 bytes, so that
// the comparison is byte for byte.
constexpr const char* kDbfreadScript = R"(
import sys, dbfread
table = dbfread.DBF(sys.argv[1], load=False, char_decode_errors='strict')
print('ENCODING', table.encoding, sep='\t')
for f in table.fields:
    print('FIELD', f.name, f.type, f.length, f.decimal_count, sep='\t')
for record in table:
    out = ['ROW']
    for f in table.fields:
        v = record[f.name]
        if v is None: out.append('<null>')
        elif isinstance(v, bool): out.append('B' + str(v))
        elif isinstance(v, str): out.append('S' + v.encode(table.encoding).hex())
        elif isinstance(v, int): out.append('I' + str(v))
        elif isinstance(v, float): out.append('F' + repr(v))
        else: out.append('O' + str(v))
    print('\t'.join(out))
)";

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command; answers its exit status and everything it printed.
std::pair<int, std::string> Run(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = line.find(separator, start);
    parts.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0;
  const char* begin = text.data();
  if (!text.empty() && text[0] == '+') ++begin;
  const auto result = std::from_chars(begin, text.data() + text.size(), value);
  if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// TDbf looks for the production index as NAME.mdx on Linux; a folder of links shows it
// the table under the names it expects, without touching the folder under test.
class TdbfView {
 public:
  explicit TdbfView(const std::filesystem::path& dbf) {
    const std::filesystem::path source = std::filesystem::absolute(dbf);
    link_ = scratch_ / source.filename().string();
    std::filesystem::create_symlink(source, link_);
    const std::string stem = source.stem().string();
    const std::filesystem::path index = FindFileIgnoringCase(source.parent_path(), stem + ".MDX");
    if (!index.empty()) std::filesystem::create_symlink(index, scratch_ / (stem + ".mdx"));
  }
  const std::filesystem::path& path() const { return link_; }

 private:
  ScratchFolder scratch_;
  std::filesystem::path link_;
};

std::string RunTdbf(const std::filesystem::path& dbf, const std::string& tag,
                    const std::string& key) {
  TdbfView view(dbf);
  std::string command = Quoted(TTO_TDBF_READER) + " " + Quoted(view.path().string());
  if (!tag.empty()) command += " " + Quoted(tag);
  if (!key.empty()) command += " " + Quoted(key);
  auto [status, output] = Run(command);
  if (status != 0) throw std::runtime_error("TDbf cannot read " + dbf.string() + ": " + output);
  return output;
}

bool IsNumeric(char type) {
  return type == 'N' || type == 'F' || type == 'I' || type == '+' || type == 'O';
}

// What our own Table reads of every row.
struct OwnRow {
  std::vector<std::string> text;
  std::vector<bool> blank;
  std::vector<double> number;
};

struct OwnView {
  std::vector<FieldInfo> fields;
  std::vector<OwnRow> rows;
};

OwnView ReadWithTable(const std::filesystem::path& dbf) {
  OwnView view;
  Table table(dbf.stem().string());
  OpenTable open(table, dbf.parent_path());
  view.fields = table.Fields();
  for (table.First(); !table.Eof(); table.Next()) {
    OwnRow row;
    for (std::size_t i = 0; i < view.fields.size(); ++i) {
      const FieldInfo& field = view.fields[i];
      row.blank.push_back(table.IsBlank(field.name));
      row.text.push_back(table.Text(i));
      row.number.push_back(IsNumeric(field.type) ? table.Float(i) : 0.0);
    }
    view.rows.push_back(std::move(row));
  }
  open.Close();
  return view;
}

// One value as an independent reader printed it, against what our Table read.
void ExpectValueAgrees(const std::string& reader, std::size_t row, const FieldInfo& field,
                       const std::optional<std::string>& theirs, const OwnRow& own,
                       std::size_t index) {
  const std::string where = reader + ", row " + std::to_string(row + 1) + ", field " + field.name;
  if (field.type == 'C') {
    EXPECT_EQ(theirs.value_or(""), own.text[index]) << where;
  } else if (IsNumeric(field.type)) {
    EXPECT_EQ(!theirs.has_value(), own.blank[index]) << where << ": null";
    if (theirs && !own.blank[index]) {
      const std::optional<double> value = ParseNumber(*theirs);
      ASSERT_TRUE(value.has_value()) << where << ": '" << *theirs << "'";
      const double tolerance = 1e-12 * std::max(1.0, std::fabs(own.number[index]));
      EXPECT_NEAR(*value, own.number[index], tolerance) << where;
    }
  } else if (field.type == 'L') {
    EXPECT_EQ(theirs.value_or(""), own.text[index]) << where;
  } else {
    EXPECT_EQ(!theirs.has_value(), own.blank[index]) << where << ": null";
  }
}

void ExpectFieldsAgree(const std::string& reader, const std::vector<ReaderField>& theirs,
                       const std::vector<FieldInfo>& own) {
  ASSERT_EQ(theirs.size(), own.size()) << reader << ": number of fields";
  for (std::size_t i = 0; i < own.size(); ++i) {
    EXPECT_EQ(theirs[i].name, own[i].name) << reader << ": field " << i + 1;
    EXPECT_EQ(theirs[i].type, own[i].type) << reader << ": type of " << own[i].name;
    EXPECT_EQ(theirs[i].size, own[i].width) << reader << ": size of " << own[i].name;
    EXPECT_EQ(theirs[i].decimals, own[i].decimals) << reader << ": decimals of " << own[i].name;
  }
}

void ExpectRowsAgree(const std::string& reader, const ReaderView& theirs, const OwnView& own) {
  ASSERT_EQ(theirs.rows.size(), own.rows.size()) << reader << ": number of rows";
  for (std::size_t r = 0; r < own.rows.size(); ++r) {
    ASSERT_EQ(theirs.rows[r].size(), own.fields.size()) << reader << ": row " << r + 1;
    for (std::size_t i = 0; i < own.fields.size(); ++i) {
      ExpectValueAgrees(reader, r, own.fields[i], theirs.rows[r][i], own.rows[r], i);
    }
  }
}

// TDbf's walk of a numeric tag: every row once, keys ascending, ties by record number;
// and a search of one key lands on a row with that key.
void ExpectTagWalkAgrees(const std::filesystem::path& dbf, const ReaderView& natural,
                         const std::string& tag, const std::string& keyField) {
  const ReaderView walk = ReadWithTdbf(dbf, tag);
  std::vector<std::uint32_t> visited = walk.records;
  std::vector<std::uint32_t> expected = natural.records;
  std::sort(visited.begin(), visited.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(visited, expected) << "TDbf, tag " << tag << ": rows visited";
  const auto field = std::find_if(walk.fields.begin(), walk.fields.end(),
                                  [&](const ReaderField& f) { return f.name == keyField; });
  ASSERT_NE(field, walk.fields.end()) << "TDbf, tag " << tag << ": key field " << keyField;
  const auto column = static_cast<std::size_t>(field - walk.fields.begin());
  auto keyOf = [&](std::size_t row) {
    return ParseNumber(walk.rows[row][column].value_or("0")).value_or(0.0);
  };
  for (std::size_t r = 1; r < walk.rows.size(); ++r) {
    const double previous = keyOf(r - 1);
    const double current = keyOf(r);
    EXPECT_TRUE(previous < current ||
                (previous == current && walk.records[r - 1] < walk.records[r]))
        << "TDbf, tag " << tag << ": row " << r + 1 << " of the walk is out of order";
  }
  if (walk.rows.empty()) return;
  const std::size_t middle = walk.rows.size() / 2;
  const std::string key = walk.rows[middle][column].value_or("0");
  const std::optional<std::uint32_t> found = TdbfFindKey(dbf, tag, key);
  ASSERT_TRUE(found.has_value()) << "TDbf, tag " << tag << ": key " << key << " not found";
  const auto at = std::find(walk.records.begin(), walk.records.end(), *found);
  ASSERT_NE(at, walk.records.end());
  EXPECT_EQ(keyOf(static_cast<std::size_t>(at - walk.records.begin())), keyOf(middle))
      << "TDbf, tag " << tag << ": search of " << key << " found record " << *found;
}

}  // namespace

ReaderView ReadWithTdbf(const std::filesystem::path& dbf, const std::string& tag) {
  ReaderView view;
  for (const std::string& line : Lines(RunTdbf(dbf, tag, ""))) {
    const std::vector<std::string> parts = Split(line, '\t');
    if (parts[0] == "LEVEL" && parts.size() == 2) {
      view.level = std::stoi(parts[1]);
    } else if (parts[0] == "FIELD" && parts.size() == 6) {
      view.fields.push_back(ReaderField{parts[1], parts[2].empty() ? '?' : parts[2][0],
                                        std::stoi(parts[3]), std::stoi(parts[4]), parts[5]});
    } else if (parts[0] == "TAG" && parts.size() == 2) {
      view.tags.push_back(parts[1]);
    } else if (parts[0] == "ROW" && parts.size() >= 2) {
      view.records.push_back(static_cast<std::uint32_t>(std::stoul(parts[1])));
      std::vector<std::optional<std::string>> row;
      for (std::size_t i = 2; i < parts.size(); ++i) {
        if (parts[i] == "<null>") {
          row.emplace_back();
        } else {
          row.emplace_back(Unescape(parts[i]));
        }
      }
      view.rows.push_back(std::move(row));
    } else {
      throw std::runtime_error("TDbf printed an unexpected line for " + dbf.string() + ": " + line);
    }
  }
  return view;
}

ReaderView ReadWithDbfread(const std::filesystem::path& dbf) {
  const auto [status, output] = Run(Quoted(TTO_DBFREAD_PYTHON) + " -c " + Quoted(kDbfreadScript) +
                                    " " + Quoted(std::filesystem::absolute(dbf).string()));
  if (status != 0) throw std::runtime_error("dbfread cannot read " + dbf.string() + ": " + output);
  ReaderView view;
  for (const std::string& line : Lines(output)) {
    const std::vector<std::string> parts = Split(line, '\t');
    if (parts[0] == "ENCODING" && parts.size() == 2) {
      if (parts[1] != "cp1252") {
        throw std::runtime_error("dbfread takes " + dbf.string() + " for " + parts[1] +
                                 ", not Windows-1252");
      }
    } else if (parts[0] == "FIELD" && parts.size() == 5) {
      view.fields.push_back(ReaderField{parts[1], parts[2].empty() ? '?' : parts[2][0],
                                        std::stoi(parts[3]), std::stoi(parts[4]), parts[2]});
    } else if (parts[0] == "ROW") {
      std::vector<std::optional<std::string>> row;
      for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string& value = parts[i];
        if (value == "<null>") {
          row.emplace_back();
        } else if (value[0] == 'S') {
          row.emplace_back(FromHex(value.substr(1)));
        } else {
          row.emplace_back(value.substr(1));
        }
      }
      view.rows.push_back(std::move(row));
    } else {
      throw std::runtime_error("dbfread printed an unexpected line for " + dbf.string() + ": " +
                               line);
    }
  }
  return view;
}

void ExpectIndependentReadersAgree(const std::filesystem::path& dbf) {
  SCOPED_TRACE("independent readers on " + dbf.string());
  const OwnView own = ReadWithTable(dbf);
  const std::string head = ReadFileBytes(dbf).substr(0, 1);
  const bool level7 = !head.empty() && (head[0] & 0x07) == 4;

  ReaderView tdbf;
  try {
    tdbf = ReadWithTdbf(dbf);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what();
    return;
  }
  EXPECT_EQ(tdbf.level, level7 ? 7 : 4) << "TDbf: table level";
  ExpectFieldsAgree("TDbf", tdbf.fields, own.fields);
  ExpectRowsAgree("TDbf", tdbf, own);

  const std::filesystem::path index =
      FindFileIgnoringCase(dbf.parent_path(), dbf.stem().string() + ".MDX");
  std::vector<mdx::TagDefinition> tags;
  if (!index.empty() && ReadFileBytes(dbf).at(28) == 1) tags = mdx::ReadTagDefinitions(index);
  std::vector<std::string> tagNames;
  for (const mdx::TagDefinition& tag : tags) tagNames.push_back(tag.name);
  EXPECT_EQ(tdbf.tags, tagNames) << "TDbf: tags of the production index";
  for (const mdx::TagDefinition& tag : tags) ExpectTagWalkAgrees(dbf, tdbf, tag.name, tag.field);

  if (level7) return;  // dbfread knows levels 3 to 5 only
  try {
    const ReaderView dbfread = ReadWithDbfread(dbf);
    ExpectFieldsAgree("dbfread", dbfread.fields, own.fields);
    ExpectRowsAgree("dbfread", dbfread, own);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what();
  }
}

std::vector<std::string> TdbfTagOrder(const std::filesystem::path& dbf, const std::string& tag) {
  std::vector<std::string> rows;
  for (const auto& row : ReadWithTdbf(dbf, tag).rows) {
    std::string text;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += " | ";
      text += row[i].value_or("");
    }
    rows.push_back(text);
  }
  return rows;
}

std::optional<std::uint32_t> TdbfFindKey(const std::filesystem::path& dbf, const std::string& tag,
                                         const std::string& key) {
  for (const std::string& line : Lines(RunTdbf(dbf, tag, key))) {
    const std::vector<std::string> parts = Split(line, '\t');
    if (parts[0] == "FOUND" && parts.size() == 2) {
      return static_cast<std::uint32_t>(std::stoul(parts[1]));
    }
    if (parts[0] == "NOTFOUND") return std::nullopt;
  }
  throw std::runtime_error("TDbf gave no search result for " + dbf.string());
}

}  // namespace tto::testing
