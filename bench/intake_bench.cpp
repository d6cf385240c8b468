// The whole intake run on a generated school file of a large school federation: thousands
// of groups and tens of thousands of subject elements. Every builder's work should grow
// with the file, not with groups times subjects: doubling the file should roughly double
// the time.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/BenchSupport.h"
#include "core/Messages.h"
#include "core/RunState.h"
#include "core/Shell.h"
#include "intake/IntakeRun.h"

namespace {

using tto::bench::QuietShell;
using tto::bench::TempFolder;

constexpr int kSubjectsPerGroup = 10;
constexpr int kSubjectCodes = 300;
constexpr int kTeachings = 40;

std::string Number(int value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

// A school file with `groups` groups of kSubjectsPerGroup subjects each; teachers, rooms
// and subjects grow with it, the week's sessions do not.
void WriteSchoolFile(const std::filesystem::path& path, int groups) {
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Centro Codigo=\"28000001\" Nombre=\"Federaci\xC3\xB3n\" CursoEscolar=\"2024/2025\" "
         "Version=\"1\">\n";
  out << "<Materias>\n";
  for (int i = 0; i < kSubjectCodes; ++i) {
    out << "<Materia Codigo=\"MAT" << Number(i, 3) << "\" Denominacion=\"Materia " << i << "\"/>\n";
  }
  out << "</Materias>\n<TiposActividad>\n";
  for (int i = 0; i < 20; ++i) {
    out << "<TipoActividad Codigo=\"ACT" << i << "\" Denominacion=\"Actividad " << i << "\"/>\n";
  }
  out << "</TiposActividad>\n<Departamentos>\n";
  for (int i = 0; i < 30; ++i) {
    out << "<Departamento Codigo=\"D" << i << "\" Denominacion=\"Departamento " << i << "\"/>\n";
  }
  const int teachers = groups / 2 + 2;
  out << "</Departamentos>\n<Profesores>\n";
  for (int i = 0; i < teachers; ++i) {
    out << "<Profesor Codigo=\"P" << Number(i, 5) << "\" Nombre=\"Nombre\" Apellido1=\"Uno\" "
        << "Apellido2=\"Dos\" CodigoDep=\"D" << i % 30 << "\"/>\n";
  }
  out << "</Profesores>\n<Aulas>\n";
  for (int i = 0; i < groups / 2 + 2; ++i) {
    out << "<Aula Codigo=\"A" << Number(i, 5) << "\" Denominacion=\"Aula " << i << "\"/>\n";
  }
  out << "</Aulas>\n<Ensenanzas>\n";
  for (int i = 0; i < kTeachings; ++i) {
    out << "<Ensenanza Codigo=\"E" << i
        << "\" Denominacion=\"Ense\xC3\xB1"
           "anza "
        << i << "\"/>\n";
  }
  out << "</Ensenanzas>\n<Grupos>\n";
  static const char* const kHours[] = {"04,00", "03,00", "02,50", "01,33", "00,00", "02,00"};
  for (int g = 0; g < groups; ++g) {
    out << "<Grupo Codigo=\"G" << Number(g, 5) << "\" Denominacion=\"Grupo " << g
        << "\" CodigoEnsenanza=\"E" << g % kTeachings << "\" Turno=\"M\" Curso=\"" << g % 4 + 1
        << "\" Letra=\"A\" CodigoTutor=\"P" << Number(g % teachers, 5) << "\">\n<MateriasGrupo>\n";
    for (int s = 0; s < kSubjectsPerGroup; ++s) {
      out << "<MateriaGrupo Codigo=\"MAT" << Number((g + s * 7) % kSubjectCodes, 3) << "\" Horas=\""
          << kHours[(g + s) % 6] << "\"/>\n";
    }
    out << "</MateriasGrupo>\n</Grupo>\n";
  }
  out << "</Grupos>\n<Sesiones>\n";
  for (const char* day : {"L", "M", "X", "J", "V"}) {
    for (int slot = 0; slot < 7; ++slot) {
      const int start = 8 * 60 + slot * 55;
      out << "<Sesion Dia=\"" << day << "\" HoraInicio=\"" << Number(start / 60, 2) << ":"
          << Number(start % 60, 2) << "\" HoraFin=\"" << Number((start + 55) / 60, 2) << ":"
          << Number((start + 55) % 60, 2) << "\"/>\n";
    }
  }
  out << "</Sesiones>\n</Centro>\n";
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void BM_Intake(benchmark::State& benchState) {
  const int groups = static_cast<int>(benchState.range(0));
  TempFolder folder;
  const std::filesystem::path school = folder.path() / "centro.xml";
  const std::filesystem::path exchange = folder.path() / "ZTEMP";
  std::filesystem::create_directory(exchange);
  WriteSchoolFile(school, groups);

  tto::RunState state;
  state.exchange = tto::ExchangeFolder(exchange);
  QuietShell shell(school.string());
  for (auto _ : benchState) {
    tto::BExportarClick(state, shell);
    if (shell.last != tto::messages::kProcesoFinalizado) {
      benchState.SkipWithError(("intake failed: " + shell.last).c_str());
      break;
    }
  }
  benchState.counters["groups"] = groups;
  benchState.counters["subjects"] = groups * kSubjectsPerGroup;
  benchState.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(school)) / (1024.0 * 1024.0);
  benchState.SetComplexityN(groups * kSubjectsPerGroup);
}

BENCHMARK(BM_Intake)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
