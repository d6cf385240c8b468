#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "store/Table.h"
#include "tests/support/ScratchFolder.h"

namespace tto::testing {
namespace {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs transtarvos with the arguments in folder `where`, capturing both streams.
CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::filesystem::path& where = std::filesystem::current_path()) {
  ScratchFolder streams;
  const std::filesystem::path out = streams / "out";
  const std::filesystem::path err = streams / "err";
  std::string command = "cd " + Quoted(where.string()) + " && " + Quoted(TTO_TRANSTARVOS);
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  command += " > " + Quoted(out.string()) + " 2> " + Quoted(err.string());
  const int raw = std::system(command.c_str());
  CliResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFileBytes(out);
  result.err = ReadFileBytes(err);
  return result;
}

TEST(CliTest, UsageErrorsExitWith64AndSayWhatIsWrongOnStandardError) {
  struct Case {
    std::vector<std::string> arguments;
    std::string problem;
  };
  const Case cases[] = {
      {{}, "missing command"},
      {{"convertir", "a.xml"}, "unknown command 'convertir'"},
      {{"intake"}, "missing the school file"},
      {{"return", "a.xml", "b.xml"}, "unexpected argument 'b.xml'"},
      {{"dump"}, "missing a table name or .DBF file"},
      {{"intake", "--exchange"}, "--exchange needs a folder"},
      {{"intake", "--exchange=", "a.xml"}, "--exchange needs a folder"},
      {{"intake", "--exchange", "x", "--exchange=y", "a.xml"}, "--exchange given twice"},
      {{"intake", "--verbose", "a.xml"}, "unknown option '--verbose'"},
      {{"intake", ""}, "empty name for the school file"},
  };
  for (const Case& c : cases) {
    const CliResult result = RunCli(c.arguments);
    SCOPED_TRACE(c.problem);
    EXPECT_EQ(result.status, 64);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "transtarvos: " + c.problem + "\nTry 'transtarvos --help'.\n");
  }
}

TEST(CliTest, HelpAndVersionGoToStandardOutputAndSucceed) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"-h"}, {"dump", "--help"}, {"intake", "x", "-h"}}) {
    const CliResult help = RunCli(arguments);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage:\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("transtarvos dump [--exchange DIR] TABLE|FILE"), std::string::npos);
    EXPECT_NE(help.out.find("64  the arguments make no call"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  const CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "transtarvos 1.0.0\n");
  EXPECT_EQ(version.err, "");
}

// A small table with text that needs the code page: Ñ and ú in Windows-1252.
void WriteTeachers(const std::filesystem::path& folder) {
  CreateTable(folder, "PROFT", {{"ABREV", FieldKind::Text, 5}, {"NOMBRE", FieldKind::Text, 20}});
  Table table("PROFT");
  OpenTable open(table, folder);
  table.Append();
  table.SetText("ABREV", "NU01");
  table.SetText("NOMBRE", "N\xFA\xF1\x65z Pe\xD1\x61");
  table.Post();
  table.Append();
  table.SetText("ABREV", "GA01");
  table.SetText("NOMBRE",
                "Garc\xED"
                "a");
  table.Post();
  open.Close();
}

TEST(CliTest, DumpPrintsFieldsThenRowsInUtf8ByTableNameOrFile) {
  ScratchFolder exchange;
  WriteTeachers(exchange.path());
  const std::string expected =
      "ABREV C 5 0 | NOMBRE C 20 0\n"
      "NU01 | N\xC3\xBA\xC3\xB1"
      "ez Pe\xC3\x91"
      "a\n"
      "GA01 | Garc\xC3\xAD"
      "a\n";

  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::filesystem::path where;
  };
  const Case cases[] = {
      {"table name in any case", {"dump", "--exchange", exchange.path().string(), "proft"}, {}},
      {"file by absolute path", {"dump", (exchange / "PROFT.DBF").string()}, {}},
      {"file in the working folder", {"dump", "PROFT.DBF"}, exchange.path()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult result = c.where.empty() ? RunCli(c.arguments) : RunCli(c.arguments, c.where);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected);
  }
}

TEST(CliTest, DumpOfAMissingTableIsAnErrorNamingIt) {
  ScratchFolder exchange;
  const CliResult byName = RunCli({"dump", "--exchange", exchange.path().string(), "SOLUC"});
  EXPECT_EQ(byName.status, 1);
  EXPECT_EQ(byName.out, "");
  EXPECT_NE(byName.err.find("SOLUC"), std::string::npos) << byName.err;

  const CliResult byFile = RunCli({"dump", (exchange / "nada.dbf").string()});
  EXPECT_EQ(byFile.status, 1);
  EXPECT_EQ(byFile.err, "No existe el archivo " + (exchange / "nada.dbf").string() + "\n");

  const CliResult noFolder = RunCli({"dump", "--exchange", (exchange / "none").string(), "PROFT"});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find("C:\\ZTEMP"), std::string::npos) << noFolder.err;
}

TEST(CliTest, MissingSchoolFileExitsWith2) {
  ScratchFolder exchange;
  const CliResult intake =
      RunCli({"intake", "--exchange", exchange.path().string(), "nada.xml"}, exchange.path());
  EXPECT_EQ(intake.status, 2);
  EXPECT_EQ(intake.out, "");
  EXPECT_EQ(intake.err, "No existe archivo\n");
  EXPECT_FALSE(std::filesystem::exists(exchange / "ASIGNOMT.DBF"));

  const CliResult back =
      RunCli({"return", "--exchange", exchange.path().string(), "nada.xml"}, exchange.path());
  EXPECT_EQ(back.status, 2);
  EXPECT_EQ(back.out,
            "Deber\xC3\xA1 Abrir el fichero XML de ORDALIS,\n"
            "desde el cual realiz\xC3\xB3 la Importaci\xC3\xB3n a Velmora\n");
  EXPECT_EQ(back.err, "No existe archivo XML o Soluci\xC3\xB3n.\n");
}

TEST(CliTest, CompletedIntakeExitsWith0AndAFailedOneWith1) {
  ScratchFolder exchange;
  const std::string school = std::string(TTO_FIXTURES_DIR) + "/school/realistic.xml";
  const CliResult done = RunCli({"intake", "--exchange", exchange.path().string(), school});
  EXPECT_EQ(done.err, "");
  EXPECT_EQ(done.out, "Proceso finalizado\n");
  EXPECT_EQ(done.status, 0);
  EXPECT_TRUE(std::filesystem::exists(exchange / "ASIGT.DBF"));

  // The school file given relative to the working folder is found there.
  ScratchFolder work;
  work.Write("centro.xml",
             "<Centro><Materias><Materia Codigo=\"MATE01\"/><Materia Codigo=\"LENG01\"/>"
             "</Materias></Centro>");
  const CliResult failed =
      RunCli({"intake", "--exchange=" + exchange.path().string(), "centro.xml"}, work.path());
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_NE(failed.err.find("Denominacion"), std::string::npos) << failed.err;

  const CliResult noFolder = RunCli({"intake", "--exchange", (work / "none").string(), school});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find("C:\\ZTEMP"), std::string::npos) << noFolder.err;
}

}  // namespace
}  // namespace tto::testing
