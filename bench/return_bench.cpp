// Times one return run (BImportarClick from the click to the saved result file) on a
// solution of 100,000 and 1,000,000 rows, and on 100,000 rows with working tables ten
// times larger: the run must grow with the solution's rows, not with rows x table size.
// The tables are built once per shape in a temporary folder.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/RunState.h"
#include "core/Shell.h"
#include "return/ReturnRun.h"
#include "store/Table.h"

namespace {

using tto::FieldDef;
using tto::FieldKind;
using tto::bench::QuietShell;

FieldDef Text(std::string name, int width) {
  return {std::move(name), FieldKind::Text, width};
}

// Creates a table and appends `rows` rows, each filled by `fill`.
template <typename FillRow>
void WriteTable(const std::filesystem::path& folder, const std::string& name,
                const std::vector<FieldDef>& schema, std::int64_t rows, FillRow fill) {
  tto::CreateTable(folder, name, schema);
  tto::Table table{name};
  tto::OpenTable open(table, folder);
  for (std::int64_t i = 0; i < rows; ++i) {
    table.Append();
    fill(table, i);
    table.Post();
  }
  open.Close();
}

// One exchange folder and school file, with working tables of `scale` times a large
// secondary school and a SOLUC of `rows` rows: lessons of every group, subject, teacher,
// room and slot in turn, one task in twenty, one unplaced row in fifty.
class Fixture {
 public:
  Fixture(std::int64_t rows, int scale) {
    exchange_ = root_.path() / "ZTEMP";
    std::filesystem::create_directory(exchange_);
    schoolFile_ = (root_.path() / "centro.xml").string();
    std::ofstream(schoolFile_)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Centro Codigo=\"28012345\" "
           "Nombre=\"IES Banco de Pruebas\" CursoEscolar=\"2024/2025\" Version=\"3.2\"/>\n";

    const int groups = 40 * scale, teachers = 80 * scale, rooms = 60 * scale;
    const int subjects = 120 * scale, taskTypes = 15 * scale, days = 5, slotsPerDay = 7;
    const auto code = [](char prefix, std::int64_t n) { return prefix + std::to_string(n); };

    WriteTable(exchange_, "ASIGNOMT",
               {Text("COD", 10),
                Text("CODLARGO", 10),
                Text("NOMBRE", 80),
                Text("CODTAREA", 12),
                {"ESTAREA", FieldKind::Boolean, 0},
                Text("ABREV_GESTION", 10)},
               subjects + taskTypes, [&](tto::Table& t, std::int64_t i) {
                 t.SetText("COD", code(i < subjects ? 'S' : 'T', i));
                 t.SetText("NOMBRE", "Materia " + std::to_string(i));
                 t.SetBoolean("ESTAREA", i >= subjects);
                 t.SetText("ABREV_GESTION", code('M', i));
               });
    WriteTable(exchange_, "PROFT", {Text("ABREV", 10), Text("NOMBRE", 80), Text("DEPART", 40)},
               teachers, [&](tto::Table& t, std::int64_t i) {
                 t.SetText("ABREV", code('P', i));
                 t.SetText("NOMBRE", "Nombre, Apellido " + std::to_string(i));
               });
    WriteTable(exchange_, "AULAT",
               {Text("ABREV", 10),
                Text("NOMBRE", 80),
                Text("EDIFICIO", 1),
                {"MAXALUM", FieldKind::Integer, 0},
                Text("ABREV_GESTION", 20)},
               rooms, [&](tto::Table& t, std::int64_t i) {
                 t.SetText("ABREV", code('A', i));
                 t.SetText("ABREV_GESTION", code('R', i));
               });
    WriteTable(exchange_, "GRUPOST",
               {Text("ABREV", 10), Text("TURNO", 1), Text("NIVEL", 5), Text("CURSO", 3),
                Text("GRUPO", 2), Text("DESCRIP", 80), Text("TUTOR", 10)},
               groups, [&](tto::Table& t, std::int64_t i) { t.SetText("ABREV", code('G', i)); });
    WriteTable(exchange_, "DIASHORAST",
               {Text("DIHO", 10),
                Text("CODDIHO", 10),
                Text("DIA", 20),
                Text("TEXTODIA", 20),
                Text("HORA", 8),
                Text("TEXTOHOR", 15),
                Text("HORADESDE", 8),
                Text("HORAHASTA", 8),
                Text("MINUTOS", 8),
                {"SESION_ORDEN", FieldKind::Integer, 0},
                Text("PLANTILLA", 20)},
               days * slotsPerDay, [&](tto::Table& t, std::int64_t i) {
                 const auto dia = std::to_string(i / slotsPerDay + 1);
                 const auto hora = std::to_string(i % slotsPerDay + 1);
                 t.SetText("DIHO", dia + hora);
                 t.SetText("DIA", dia);
                 t.SetText("HORA", hora);
                 t.SetText("HORADESDE", "08:00");
                 t.SetText("HORAHASTA", "08:55");
               });
    WriteTable(exchange_, "ASIGT",
               {Text("CASIG", 10),
                Text("CGRUP", 10),
                {"HORAS", FieldKind::Float, 0},
                Text("SESIONES", 20),
                Text("CTAREA", 10),
                Text("ASIG_GESTION", 10)},
               0, [](tto::Table&, std::int64_t) {});
    WriteTable(exchange_, "SOLUC",
               {Text("ASIG", 10),
                Text("TAREA", 10),
                {"DIA", FieldKind::Integer, 0},
                {"HORA", FieldKind::Float, 0},
                Text("CODGRUPO", 10),
                Text("PROF", 10),
                Text("AULA", 10)},
               rows, [&](tto::Table& t, std::int64_t i) {
                 const bool task = i % 20 == 0;
                 const std::string asig =
                     task ? code('T', subjects + i % taskTypes) : code('S', (i * 7) % subjects);
                 t.SetText("ASIG", asig);
                 t.SetText("TAREA", task ? asig : "CCM");
                 t.SetInteger("DIA", i % 50 == 1 ? 0 : static_cast<int>(i % days) + 1);
                 t.SetFloat("HORA", static_cast<double>((i / days) % slotsPerDay + 1));
                 t.SetText("CODGRUPO", code('G', (i * 3) % groups));
                 t.SetText("PROF", code('P', (i * 11) % teachers));
                 t.SetText("AULA", code('A', (i * 13) % rooms));
               });
  }

  const std::filesystem::path& exchange() const { return exchange_; }
  const std::string& schoolFile() const { return schoolFile_; }

 private:
  tto::bench::TempFolder root_;  // first: the other members live in it
  std::filesystem::path exchange_;
  std::string schoolFile_;
};

Fixture& FixtureFor(std::int64_t rows, int scale) {
  static std::map<std::pair<std::int64_t, int>, std::unique_ptr<Fixture>> fixtures;
  auto& fixture = fixtures[{rows, scale}];
  if (!fixture) fixture = std::make_unique<Fixture>(rows, scale);
  return *fixture;
}

void BM_Return(benchmark::State& benchState) {
  const std::int64_t rows = benchState.range(0);
  const int scale = static_cast<int>(benchState.range(1));
  Fixture& fixture = FixtureFor(rows, scale);
  for (auto _ : benchState) {
    tto::RunState state;
    state.exchange = tto::ExchangeFolder(fixture.exchange());
    QuietShell shell(fixture.schoolFile());
    tto::BImportarClick(state, shell);
    if (shell.last != "Proceso finalizado") {
      benchState.SkipWithError(("the run failed: " + shell.last).c_str());
      break;
    }
  }
  benchState.SetItemsProcessed(benchState.iterations() * rows);
  benchState.counters["rows"] = static_cast<double>(rows);
}

BENCHMARK(BM_Return)
    ->ArgNames({"rows", "tableScale"})
    ->Args({100'000, 1})
    ->Args({100'000, 10})
    ->Args({1'000'000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
