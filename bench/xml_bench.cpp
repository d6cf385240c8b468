// The XML document service on school files of growing size: loading, selecting the
// deepest list the intake reads ("/Centro/Grupos/Grupo/MateriasGrupo/MateriaGrupo") and
// reading an attribute of every element selected. Selection must grow linearly with the
// file (reported as the complexity fit), and stay the same asked of any node.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchSupport.h"
#include "store/XmlDocument.h"

namespace {

using tto::bench::TempFolder;

// A school file with `groups` groups of ten subjects each, plus teachers and rooms so
// that the selection has other branches to pass by.
std::filesystem::path SchoolFile(const TempFolder& folder, int groups) {
  const std::filesystem::path file = folder.path() / ("centro" + std::to_string(groups) + ".xml");
  std::ofstream out(file, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Centro Codigo=\"C1\">\n<Profesores>\n";
  for (int i = 0; i < groups; ++i)
    out << "<Profesor Codigo=\"P" << i << "\" Nombre=\"Jos\xE9\"/>\n";
  out << "</Profesores>\n<Grupos>\n";
  for (int g = 0; g < groups; ++g) {
    out << "<Grupo Codigo=\"G" << g << "\">\n<MateriasGrupo>\n";
    for (int m = 0; m < 10; ++m) {
      out << "<MateriaGrupo Codigo=\"M" << m << "\" Horas=\"3,5\"/>\n";
    }
    out << "</MateriasGrupo>\n</Grupo>\n";
  }
  out << "</Grupos>\n</Centro>\n";
  return file;
}

constexpr const char* kDeepestPath = "/Centro/Grupos/Grupo/MateriasGrupo/MateriaGrupo";

void BM_Load(benchmark::State& state) {
  TempFolder folder;
  const auto file = SchoolFile(folder, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    tto::XmlDocument doc;
    doc.Load(file);
    benchmark::DoNotOptimize(doc.DocumentElement());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Load)->RangeMultiplier(2)->Range(2500, 20000)->Complexity(benchmark::oN);

void BM_SelectDeepestList(benchmark::State& state) {
  TempFolder folder;
  tto::XmlDocument doc;
  doc.Load(SchoolFile(folder, static_cast<int>(state.range(0))));
  const tto::XmlNode asker = doc.SelectSingleNode("/Centro/Profesores/Profesor");
  for (auto _ : state) {
    const tto::XmlNodeList list = asker.SelectNodes(kDeepestPath);
    if (list.Count() != static_cast<std::size_t>(state.range(0)) * 10) {
      state.SkipWithError("wrong count");
    }
    benchmark::DoNotOptimize(list.Item(0));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SelectDeepestList)->RangeMultiplier(2)->Range(2500, 20000)->Complexity(benchmark::oN);

void BM_SelectAndReadAttributes(benchmark::State& state) {
  TempFolder folder;
  tto::XmlDocument doc;
  doc.Load(SchoolFile(folder, static_cast<int>(state.range(0))));
  for (auto _ : state) {
    const tto::XmlNodeList list = doc.SelectNodes(kDeepestPath);
    std::size_t total = 0;
    for (std::size_t i = 0; i < list.Count(); ++i)
      total += list.Item(i).AttributeText("Horas").size();
    benchmark::DoNotOptimize(total);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SelectAndReadAttributes)
    ->RangeMultiplier(2)
    ->Range(2500, 20000)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
