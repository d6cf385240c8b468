// The bundled example end to end, as a new user runs it: intake of examples/centro.xml,
// velmora-standin in Velmora's place, return. The example school is clean, so every code
// must come through unchanged, every load must be placed without a clash, and every
// placed lesson and task must come back in the school file's own codes.

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "store/AnsiText.h"
#include "store/Conversions.h"
#include "store/Table.h"
#include "tests/e2e/CliRun.h"
#include "tests/support/ScratchFolder.h"

namespace tto::testing {
namespace {

const std::filesystem::path kExampleSchool =
    std::filesystem::path(TTO_SOURCE_DIR) / "examples" / "centro.xml";

using Row = std::map<std::string, std::string>;

std::vector<Row> Rows(const std::filesystem::path& folder, const std::string& name) {
  Table table{name};
  OpenTable open(table, folder);
  const std::vector<FieldInfo> fields = table.Fields();
  std::vector<Row> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    auto& row = rows.emplace_back();
    for (std::size_t i = 0; i < fields.size(); ++i) row[fields[i].name] = table.Text(i);
  }
  open.Close();
  return rows;
}

// Runs velmora-standin; standard output and standard error together.
CommandResult Standin(const std::string& arguments) {
  return RunCommand(Quoted(TTO_VELMORA_STANDIN) + " " + arguments + " 2>&1");
}

std::string Attribute(xmlNode* element, const char* name) {
  xmlChar* value = xmlGetProp(element, BAD_CAST name);
  std::string text = value == nullptr ? "<missing>" : reinterpret_cast<const char*>(value);
  xmlFree(value);
  return Utf8ToAnsi(text);
}

// Elements of one kind under the root, each as its attributes in program text.
std::vector<Row> Elements(xmlNode* parent, const char* name, std::vector<const char*> attributes) {
  std::vector<Row> found;
  for (xmlNode* e = parent->children; e != nullptr; e = e->next) {
    if (e->type != XML_ELEMENT_NODE) continue;
    if (xmlStrcmp(e->name, BAD_CAST name) == 0) {
      auto& row = found.emplace_back();
      for (const char* attribute : attributes) row[attribute] = Attribute(e, attribute);
    }
    for (Row& row : Elements(e, name, attributes)) found.push_back(std::move(row));
  }
  return found;
}

std::set<std::string> Column(const std::vector<Row>& rows, const std::string& field) {
  std::set<std::string> values;
  for (const Row& row : rows) values.insert(row.at(field));
  return values;
}

TEST(Example, SchoolFileGoesThroughIntakeStandinAndReturnWithEveryLessonPlacedOnce) {
  ScratchFolder exchange;
  ScratchFolder schools;
  const std::string exchangeArgument = "--exchange " + Quoted(exchange.path().string());
  const std::string schoolBytes = ReadFileBytes(kExampleSchool);
  xmlDoc* school = xmlReadMemory(schoolBytes.data(), static_cast<int>(schoolBytes.size()),
                                 "centro.xml", nullptr, XML_PARSE_NONET);
  ASSERT_NE(school, nullptr);
  xmlNode* centro = xmlDocGetRootElement(school);
  const auto profesores = Elements(centro, "Profesor", {"Codigo"});
  const auto aulas = Elements(centro, "Aula", {"Codigo"});
  const auto grupos = Elements(centro, "Grupo", {"Codigo", "CodigoTutor"});
  const auto materias = Elements(centro, "Materia", {"Codigo"});
  xmlFreeDoc(school);

  // Intake: the seven tables, every code as the school file gives it.
  const CommandResult intake =
      Transtarvos("intake " + exchangeArgument + " " + Quoted(kExampleSchool.string()));
  ASSERT_EQ(intake.status, 0) << intake.out;
  const auto asignomt = Rows(exchange.path(), "ASIGNOMT");
  const auto proft = Rows(exchange.path(), "PROFT");
  const auto aulat = Rows(exchange.path(), "AULAT");
  const auto grupost = Rows(exchange.path(), "GRUPOST");
  const auto diashorast = Rows(exchange.path(), "DIASHORAST");
  const auto countses = Rows(exchange.path(), "COUNTSES");
  const auto asigt = Rows(exchange.path(), "ASIGT");
  EXPECT_EQ(asignomt.size(), 46u + 4u);  // subjects, then activity types
  EXPECT_EQ(proft.size(), 60u);
  EXPECT_EQ(aulat.size(), 34u);
  EXPECT_EQ(grupost.size(), 30u);
  EXPECT_EQ(diashorast.size(), 30u);
  EXPECT_EQ(asigt.size(), 379u);
  ASSERT_EQ(countses.size(), 2u);
  EXPECT_EQ(std::tie(countses[0].at("DURACION"), countses[0].at("NSES")),
            std::make_tuple(std::string("55"), std::string("25")));
  EXPECT_EQ(std::tie(countses[1].at("DURACION"), countses[1].at("NSES")),
            std::make_tuple(std::string("60"), std::string("5")));
  for (std::size_t i = 0; i < proft.size() && i < profesores.size(); ++i) {
    EXPECT_EQ(proft[i].at("ABREV"), profesores[i].at("Codigo"));
  }
  for (std::size_t i = 0; i < aulat.size() && i < aulas.size(); ++i) {
    EXPECT_EQ(aulat[i].at("ABREV"), aulas[i].at("Codigo"));
    EXPECT_EQ(aulat[i].at("ABREV_GESTION"), aulas[i].at("Codigo"));
  }
  for (std::size_t i = 0; i < grupost.size() && i < grupos.size(); ++i) {
    EXPECT_EQ(grupost[i].at("ABREV"), grupos[i].at("Codigo"));
    EXPECT_EQ(grupost[i].at("TUTOR"), grupos[i].at("CodigoTutor"));
  }
  std::map<std::string, std::string> codBySchoolCode;
  for (const Row& row : asignomt)
    codBySchoolCode.try_emplace(row.at("ABREV_GESTION"), row.at("COD"));
  EXPECT_EQ(codBySchoolCode.size(), asignomt.size()) << "a school code shared by two rows";
  // Sessions each (subject, group) must receive.
  std::map<std::pair<std::string, std::string>, int> wanted;
  int sessions = 0;
  for (const Row& load : asigt) {
    ASSERT_TRUE(codBySchoolCode.count(load.at("CASIG"))) << load.at("CASIG");
    const int n = static_cast<int>(std::ceil(StrToFloat(load.at("HORAS"), ',')));
    wanted[{codBySchoolCode.at(load.at("CASIG")), load.at("CGRUP")}] += n;
    sessions += n;
  }
  EXPECT_EQ(sessions, 900);  // 30 groups, each with its 30 weekly slots filled

  // The stand-in: every session once, nobody in two places at once.
  const CommandResult standin = Standin(exchangeArgument);
  ASSERT_EQ(standin.status, 0) << standin.out;
  EXPECT_NE(standin.out.find("wrote 900 lessons"), std::string::npos) << standin.out;
  const auto soluc = Rows(exchange.path(), "SOLUC");
  std::set<std::string> slotKeys = Column(diashorast, "DIHO");
  std::set<std::tuple<std::string, std::string, std::string>> taken;  // what, who, slot
  std::map<std::pair<std::string, std::string>, int> placed;
  int lessons = 0;
  int tasks = 0;
  for (const Row& row : soluc) {
    const std::string key = row.at("DIA") + row.at("HORA");
    ASSERT_TRUE(slotKeys.count(key)) << "a row outside the timetable: " << key;
    const bool lesson = row.at("ASIG") != row.at("TAREA");
    EXPECT_TRUE(taken.insert({"teacher", row.at("PROF"), key}).second)
        << "teacher " << row.at("PROF") << " twice in " << key;
    if (!row.at("AULA").empty()) {
      EXPECT_TRUE(taken.insert({"room", row.at("AULA"), key}).second)
          << "room " << row.at("AULA") << " twice in " << key;
    }
    if (lesson) {
      EXPECT_TRUE(taken.insert({"group", row.at("CODGRUPO"), key}).second)
          << "group " << row.at("CODGRUPO") << " twice in " << key;
      ++placed[{row.at("ASIG"), row.at("CODGRUPO")}];
      ++lessons;
    } else {
      ++tasks;
    }
  }
  EXPECT_EQ(placed, wanted);
  EXPECT_GT(tasks, 0);

  // Return: one actividad per row, lessons first, in the school file's codes.
  const std::filesystem::path copy = schools.Write("centro.xml", schoolBytes);
  const CommandResult back = Transtarvos("return " + exchangeArgument + " " + Quoted(copy));
  ASSERT_EQ(back.status, 0) << back.out;
  const std::string resultBytes = ReadFileBytes(schools / "ResultadoTarvoscentro.xml");
  xmlDoc* result = xmlReadMemory(resultBytes.data(), static_cast<int>(resultBytes.size()),
                                 "result.xml", nullptr, XML_PARSE_NONET);
  ASSERT_NE(result, nullptr);
  const auto actividades =
      Elements(xmlDocGetRootElement(result), "actividad",
               {"tipo", "codigoProfesor", "codigoGrupo", "codigoMateria", "codigoAula", "dia"});
  xmlFreeDoc(result);
  ASSERT_EQ(actividades.size(), soluc.size());
  const std::set<std::string> teacherCodes = Column(profesores, "Codigo");
  const std::set<std::string> roomCodes = Column(aulas, "Codigo");
  const std::set<std::string> groupCodes = Column(grupos, "Codigo");
  const std::set<std::string> subjectCodes = Column(materias, "Codigo");
  for (std::size_t i = 0; i < actividades.size(); ++i) {
    const Row& a = actividades[i];
    const bool lesson = i < static_cast<std::size_t>(lessons);
    EXPECT_TRUE(teacherCodes.count(a.at("codigoProfesor"))) << a.at("codigoProfesor");
    EXPECT_NE(std::string("LMXJV").find(a.at("dia")), std::string::npos) << a.at("dia");
    if (lesson) {
      EXPECT_EQ(a.at("tipo"), "CCM");
      EXPECT_TRUE(subjectCodes.count(a.at("codigoMateria"))) << a.at("codigoMateria");
      EXPECT_TRUE(groupCodes.count(a.at("codigoGrupo"))) << a.at("codigoGrupo");
      EXPECT_TRUE(a.at("codigoAula").empty() || roomCodes.count(a.at("codigoAula")))
          << a.at("codigoAula");
    } else {
      EXPECT_EQ(a.at("codigoMateria"), "");
      EXPECT_EQ(a.at("codigoAula"), "<missing>") << "a task's room goes in codigAula";
    }
  }
}

TEST(Example, StandinAsksForAnIntakeWhenAWorkingTableIsMissing) {
  ScratchFolder exchange;
  const std::string exchangeArgument = "--exchange " + Quoted(exchange.path().string());
  ASSERT_EQ(
      Transtarvos("intake " + exchangeArgument + " " + Quoted(kExampleSchool.string())).status, 0);
  for (const char* table : {"ASIGT", "PROFT", "DIASHORAST"}) {
    DeleteTableFiles(exchange.path(), table);
    const CommandResult run = Standin(exchangeArgument);
    EXPECT_EQ(run.status, 1) << table << ": " << run.out;
    EXPECT_NE(run.out.find(std::string(table) + ".DBF is missing"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("run the intake first"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(exchange / "SOLUC.DBF"));
  }
  const CommandResult missingFolder = Standin("--exchange " + Quoted((exchange / "nada").string()));
  EXPECT_EQ(missingFolder.status, 1) << missingFolder.out;
  EXPECT_EQ(Standin("--exchange").status, 64);
  EXPECT_EQ(Standin("--bogus").status, 64);
}

}  // namespace
}  // namespace tto::testing
