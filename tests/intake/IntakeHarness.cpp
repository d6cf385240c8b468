#include "tests/intake/IntakeHarness.h"

#include <gtest/gtest.h>

#include "intake/IntakeRun.h"
#include "store/Table.h"
#include "tests/support/TableRows.h"

namespace tto::testing {

namespace {

std::string Escaped(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string XmlElement(std::string_view name, const XmlAttributes& attributes) {
  std::string out = "<" + std::string(name);
  for (const auto& [attribute, value] : attributes) {
    out += " " + attribute + "=\"" + Escaped(value) + "\"";
  }
  return out + "/>";
}

std::string XmlSection(std::string_view container, const std::vector<std::string>& children) {
  std::string out = "<" + std::string(container) + ">";
  for (const std::string& child : children) out += "\n  " + child;
  return out + "\n</" + std::string(container) + ">\n";
}

std::string SchoolFileXml(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Centro Codigo=\"28000001\" Nombre=\"IES Prueba\" CursoEscolar=\"2024-2025\" "
         "Version=\"1.0\">\n" +
         std::string(body) + "</Centro>\n";
}

IntakeHarness::IntakeHarness() {
  state.exchange = ExchangeFolder(exchange.path());
}

std::filesystem::path IntakeHarness::OfferSchoolFile(std::string_view body,
                                                     std::string_view fileName) {
  std::filesystem::path path = files.Write(fileName, SchoolFileXml(body));
  shell.dialogAnswers.push_back(path.string());
  return path;
}

void IntakeHarness::RunWith(std::string_view body) {
  OfferSchoolFile(body);
  Run();
}

void IntakeHarness::Run() {
  BExportarClick(state, shell);
}

Columns IntakeHarness::Read(std::string_view table, const std::vector<std::string>& fields) const {
  return ReadColumns(exchange.path(), table, fields);
}

bool IntakeHarness::HasTable(std::string_view table) const {
  return !FindFileIgnoringCase(exchange.path(), std::string(table) + ".DBF").empty();
}

void IntakeHarness::ExpectTablesFree(std::initializer_list<std::string_view> tables) const {
  for (std::string_view name : tables) {
    Table table{std::string(name)};
    EXPECT_NO_THROW({
      table.Open(exchange.path());
      table.Close();
    }) << name
       << " is still held";
  }
}

}  // namespace tto::testing
