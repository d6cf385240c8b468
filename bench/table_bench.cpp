// The table store on a million rows: appending (with the header written at Close),
// walking in natural order reading fields, a Locate that scans to the last row, and
// closing an indexed table (which writes its production index).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "store/Table.h"

namespace {

using tto::bench::TempFolder;

constexpr int kRows = 1'000'000;

// ASIGT's shape at level 7 (a long field name), and a level-4 table of the same kinds.
std::vector<tto::FieldDef> Schema(bool level7) {
  return {{"CASIG", tto::FieldKind::Text, 10},
          {"CGRUP", tto::FieldKind::Text, 10},
          {"TURNO", tto::FieldKind::Text, 1},
          {"HORAS", tto::FieldKind::Float, 0},
          {"NSES", tto::FieldKind::Integer, 0},
          {"SESIONES", tto::FieldKind::Text, 20},
          {"ESTAREA", tto::FieldKind::Boolean, 0},
          {level7 ? "ASIG_GESTION" : "GESTION", tto::FieldKind::Text, 10}};
}

void Fill(const std::filesystem::path& folder, bool level7, int rows) {
  tto::RebuildTable(folder, "ASIGT", Schema(level7));
  tto::Table table("ASIGT");
  tto::OpenTable open(table, folder);
  const std::string gestion = level7 ? "ASIG_GESTION" : "GESTION";
  for (int i = 0; i < rows; ++i) {
    table.Append();
    table.SetText("CASIG", "MA" + std::to_string(i % 1000));
    table.SetText("CGRUP", "1ESO-A");
    table.SetText("TURNO", "M");
    table.SetFloat("HORAS", 2.5);
    table.SetInteger("NSES", i);
    table.SetText("SESIONES", "111");
    table.SetBoolean("ESTAREA", false);
    table.SetText(gestion, "G" + std::to_string(i));
    table.Post();
  }
  open.Close();
}

void BM_AppendMillionRows(benchmark::State& state) {
  const bool level7 = state.range(0) == 7;
  TempFolder folder;
  for (auto _ : state) Fill(folder.path(), level7, kRows);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AppendMillionRows)->Arg(4)->Arg(7)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WalkMillionRows(benchmark::State& state) {
  const bool level7 = state.range(0) == 7;
  TempFolder folder;
  Fill(folder.path(), level7, kRows);
  for (auto _ : state) {
    tto::Table table("ASIGT");
    tto::OpenTable open(table, folder.path());
    std::size_t bytes = 0;
    std::int64_t sum = 0;
    for (table.First(); !table.Eof(); table.Next()) {
      bytes += table.Text("CASIG").size();
      sum += table.Integer("NSES");
      benchmark::DoNotOptimize(table.Float("HORAS"));
    }
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(sum);
    open.Close();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_WalkMillionRows)->Arg(4)->Arg(7)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LocateLastOfMillionRows(benchmark::State& state) {
  TempFolder folder;
  Fill(folder.path(), true, kRows);
  tto::Table table("ASIGT");
  tto::OpenTable open(table, folder.path());
  const std::string last = "G" + std::to_string(kRows - 1);
  for (auto _ : state) {
    if (!table.Locate("ASIG_GESTION", last)) state.SkipWithError("not found");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LocateLastOfMillionRows)->Unit(benchmark::kMillisecond)->Iterations(5);

// COUNTSES's shape: appending a million rows and closing, which builds the index.
void BM_IndexedMillionRows(benchmark::State& state) {
  TempFolder folder;
  for (auto _ : state) {
    tto::RebuildTable(
        folder.path(), "COUNTSES",
        {{"DURACION", tto::FieldKind::Text, 10}, {"NSES", tto::FieldKind::Integer, 0}},
        {{"NSES", "NSES"}});
    tto::Table table("COUNTSES");
    tto::OpenTable open(table, folder.path());
    for (int i = 0; i < kRows; ++i) {
      table.Append();
      table.SetText("DURACION", std::to_string(i));
      table.SetInteger("NSES",
                       static_cast<std::int32_t>((static_cast<std::int64_t>(i) * 7919) % 100000));
      table.Post();
    }
    open.Close();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_IndexedMillionRows)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
