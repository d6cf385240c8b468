#pragma once

// Independent dBase engines read the tables we write, so that a test knows another
// engine sees what we meant, not just our own reader.
//
//   - Free Pascal's TDbf (tests/tdbf/tdbfread, built by the test build) reads every
//     level, level 7's long names, I and O fields and nulls included, and the production
//     index (.MDX): it walks a tag in key order and searches a key.
//   - python3-dbfread (Debian's /usr/bin/python3) reads level-4 tables.
//
// Use, after the table is written and closed (a held table cannot be read):
//
//   #include "tests/support/IndependentReaders.h"
//   ExpectIndependentReadersAgree(folder / "PROFT.DBF");  // one line per table
//   EXPECT_EQ(TdbfTagOrder(folder / "COUNTSES.DBF", "NSES"),
//             (std::vector<std::string>{"110 | 3", "30 | 10", "55 | 25"}));
//   EXPECT_EQ(TdbfFindKey(folder / "COUNTSES.DBF", "NSES", "10"), 3u);
//
// ExpectIndependentReadersAgree records a GoogleTest failure (it does not throw) for
// every disagreement, naming the reader, the row and the field.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tto::testing {

// What an independent reader saw: each field as the file declares it, and the rows of
// natural order (deleted rows skipped) with each value as the reader's text, nullopt for
// a null (blank) value. Numbers use '.'; booleans "True"/"False".
struct ReaderField {
  std::string name;
  char type = 'C';
  int size = 0;
  int decimals = 0;
  std::string readerType;  // the reader's own name for the kind: "Integer", "int", ...
};
struct ReaderView {
  int level = 0;  // TDbf only: 4 or 7
  std::vector<ReaderField> fields;
  std::vector<std::string> tags;                              // TDbf only
  std::vector<std::vector<std::optional<std::string>>> rows;  // program text (cp1252)
  std::vector<std::uint32_t> records;                         // TDbf only: record numbers
};

// Reads dbf with TDbf; with a tag, rows come in that tag's key order. Throws
// std::runtime_error with TDbf's message when it cannot read the table.
ReaderView ReadWithTdbf(const std::filesystem::path& dbf, const std::string& tag = "");

// Reads a level-4 dbf with python3-dbfread. Throws std::runtime_error when it cannot.
ReaderView ReadWithDbfread(const std::filesystem::path& dbf);

// Checks that TDbf (every level, and every tag of the production index) and dbfread
// (level 4) see the field names, types, sizes and every value that our Table reads.
// For each tag: TDbf's walk visits every row once, in ascending numeric key order.
void ExpectIndependentReadersAgree(const std::filesystem::path& dbf);

// The rows TDbf visits walking the tag, each as its field texts joined by " | " (nulls
// as empty texts).
std::vector<std::string> TdbfTagOrder(const std::filesystem::path& dbf, const std::string& tag);

// The record number (1-based) that TDbf finds searching the numeric key in the tag, or
// nullopt when it finds none.
std::optional<std::uint32_t> TdbfFindKey(const std::filesystem::path& dbf, const std::string& tag,
                                         const std::string& key);

}  // namespace tto::testing
