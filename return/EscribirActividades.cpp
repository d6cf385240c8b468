#include <array>
#include <string>
#include <vector>

#include "return/ReturnRun.h"
#include "return/SolutionLookups.h"
#include "store/AnsiText.h"

namespace tto {

namespace {

// Velmora numbers the days from Monday = 1; the result file names them by their Spanish
// initials. Any other number has no letter.
std::string DayLetter(int dia) {
  static constexpr std::array<const char*, 7> kLetters = {"L", "M", "X", "J", "V", "S", "D"};
  if (dia < 1 || dia > 7) return {};
  return kLetters[static_cast<std::size_t>(dia - 1)];
}

// What one solution row becomes. Built afresh for every row, so nothing of a row that was
// left out reaches the next one.
struct Actividad {
  std::string tipo;
  std::string codigoProfesor;
  std::string codigoGrupo;
  std::string codigoMateria;
  std::string codigoAula;
  std::string dia;
  std::string horaInicio;
  std::string horaFin;
};

void AppendActividad(XmlDocument& document, XmlNode horario, ActivityPass pass,
                     const Actividad& actividad) {
  XmlNode element = document.CreateElement("actividad");
  element.SetAttribute("tipo", actividad.tipo);
  element.SetAttribute("codigoProfesor", actividad.codigoProfesor);
  element.SetAttribute("codigoGrupo", actividad.codigoGrupo);
  element.SetAttribute("codigoMateria", actividad.codigoMateria);
  // The result format names a task's room codigAula, without the "o"; readers of
  // result files expect exactly that.
  element.SetAttribute(pass == ActivityPass::Lessons ? "codigoAula" : "codigAula",
                       actividad.codigoAula);
  element.SetAttribute("dia", actividad.dia);
  element.SetAttribute("HoraInicio", actividad.horaInicio);
  element.SetAttribute("HoraFin", actividad.horaFin);
  horario.AppendChild(element);
}

}  // namespace

void EscribirActividades(RunState& state, ActivityPass pass, XmlNode horario) {
  SolutionLookups lookups(state);
  EscribirActividades(state, pass, horario, lookups);
}

void EscribirActividades(RunState& state, ActivityPass pass, XmlNode horario,
                         SolutionLookups& lookups) {
  Table& soluc = state.wwTableSoluc;
  XmlDocument& document = *state.DocXML;
  const bool lessons = pass == ActivityPass::Lessons;

  // Fields are read in the order the row needs them, so a SOLUC lacking a field (or holding
  // a day or slot that is not a number) fails only once a row of the pass reaches it.
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    const std::string asig = soluc.Text("ASIG");
    const std::string tarea = soluc.Text("TAREA");
    // A task is a row whose subject is its own activity; letter case counts.
    if ((asig == tarea) == lessons) continue;

    const int dia = soluc.Integer("DIA");
    if (dia == 0 || soluc.Float("HORA") == 0.0) continue;  // not placed in the timetable

    Actividad actividad;
    actividad.dia = DayLetter(dia);
    actividad.tipo = tarea;

    const std::string codGrupo = soluc.Text("CODGRUPO");
    if (lessons) {
      const std::vector<std::string>* grupo = lookups.grupos.Find(codGrupo);
      if (grupo == nullptr) continue;
      actividad.codigoGrupo = (*grupo)[0];
    } else {
      // A task need not belong to a group Velmora knows: its group goes back as written.
      actividad.codigoGrupo = codGrupo;
    }

    const std::vector<std::string>* materia = lookups.materias.Find(asig);
    if (materia == nullptr) continue;
    if (lessons) actividad.codigoMateria = (*materia)[0];

    if (const auto* profesor = lookups.profesores.Find(soluc.Text("PROF"))) {
      actividad.codigoProfesor = (*profesor)[0];
    }
    if (const auto* aula = lookups.aulas.Find(soluc.Text("AULA"))) {
      actividad.codigoAula = (*aula)[0];
    }

    // The slot key is the day's text followed by the slot's text, as DIASHORAST writes
    // DIHO; day 11 slot 1 and day 1 slot 11 therefore share the key 111.
    const std::string diho =
        TrimAttributeText(soluc.Text("DIA")) + TrimAttributeText(soluc.Text("HORA"));
    const std::vector<std::string>* tramo = lookups.tramos.Find(diho);
    if (tramo == nullptr) continue;
    actividad.horaInicio = (*tramo)[0];
    actividad.horaFin = (*tramo)[1];

    AppendActividad(document, horario, pass, actividad);
  }
}

}  // namespace tto
