#include "return/ReturnRun.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "core/Messages.h"
#include "core/RunGuard.h"
#include "core/RunSteps.h"
#include "return/SolutionLookups.h"
#include "store/AnsiText.h"
#include "store/RegionalSettings.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "store/XmlDocument.h"

namespace tto {

namespace {

constexpr const char* kResultPrefix = "ResultadoTarvos";

// The school's identity, copied from the old root to the new one.
struct CentroHeader {
  std::string codigo;
  std::string nombre;
  std::string cursoEscolar;
  std::string version;
};

RunError NoCentroRoot(const XmlDocument& document, const std::string& schoolFile) {
  const std::string file = PathToAnsi(schoolFile);
  const XmlNode root = document.DocumentElement();
  if (root.IsNull()) {
    return RunError("El archivo XML " + file +
                    " est\xE1 vac\xEDo o no es un documento XML v\xE1lido: falta el elemento "
                    "ra\xEDz Centro");
  }
  return RunError("El elemento ra\xEDz del archivo XML " + file + " es " + root.Name() +
                  ", no Centro");
}

CentroHeader ReadHeader(const XmlDocument& document, const std::string& schoolFile) {
  const XmlNodeList roots = document.SelectNodes("/Centro");
  if (roots.Count() == 0) throw NoCentroRoot(document, schoolFile);
  const XmlNode centro = roots.Item(0);
  CentroHeader header;
  header.codigo = centro.AttributeText("Codigo");
  header.nombre = centro.AttributeText("Nombre");
  header.cursoEscolar = centro.AttributeText("CursoEscolar");
  header.version = centro.AttributeText("Version");
  return header;
}

// The run's moment as the regional short date, a blank and the long time. Both halves come
// from one reading of the clock, so a run across midnight cannot pair one day's date with
// the next day's time.
std::string FechaExportacion() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const RegionalSettings& regional = CurrentRegionalSettings();
  std::string stamp = FormatDateTime(regional.shortDateFormat, local);
  stamp += ' ';
  stamp += FormatDateTime(regional.longTimeFormat, local);
  return stamp;
}

// D:\Datos\centro.xml gives D:\Datos\ResultadoTarvoscentro.xml.
std::filesystem::path ResultFilePath(const std::string& schoolFile) {
  const std::filesystem::path school(schoolFile);
  return school.parent_path() / (kResultPrefix + school.filename().string());
}

// Replaces the school file's root by a new Centro that keeps only the school's identity and
// carries an empty horario; answers that horario.
XmlNode ReplaceRoot(XmlDocument& document, const CentroHeader& header) {
  document.RemoveChild(document.DocumentElement().SelectSingleNode("/Centro"));

  XmlNode centro = document.CreateElement("Centro");
  centro.SetAttribute("Codigo", header.codigo);
  centro.SetAttribute("Nombre", header.nombre);
  centro.SetAttribute("CursoEscolar", header.cursoEscolar);
  centro.SetAttribute("FechaExportacion", FechaExportacion());
  centro.SetAttribute("Version", header.version);
  document.AppendChild(centro);

  XmlNode horario = document.CreateNode(XmlNodeType::Element, "horario", "");
  document.SelectSingleNode("/Centro").AppendChild(horario);
  return document.SelectSingleNode("/Centro/horario");
}

void WriteResultFile(RunState& state) {
  const std::filesystem::path exchange = state.exchange.Resolve();
  {
    // Velmora must find every table free again once the run is over, error or not.
    OpenTable soluc(state.wwTableSoluc, exchange);
    OpenTable grupos(state.wwTableGrupos, exchange);
    OpenTable profesores(state.wwTableProfesor, exchange);
    OpenTable aulas(state.wwTableAulas, exchange);
    OpenTable nomAsg(state.wwTableNomAsg, exchange);
    OpenTable tramos(state.wwTableTramos, exchange);
    OpenTable asig(state.wwTableAsig, exchange);  // nothing is read; held like the others

    state.DocXML = std::make_unique<XmlDocument>();
    XmlDocument& document = *state.DocXML;
    document.Load(state.FicheroXML);

    const CentroHeader header = ReadHeader(document, state.FicheroXML);
    const XmlNode horario = ReplaceRoot(document, header);

    SolutionLookups lookups(state);
    EscribirActividades(state, ActivityPass::Lessons, horario, lookups);
    EscribirActividades(state, ActivityPass::Tasks, horario, lookups);

    soluc.Close();
    grupos.Close();
    profesores.Close();
    aulas.Close();
    nomAsg.Close();
    tramos.Close();
    asig.Close();
  }
  // Saving goes through a temporary file, so a failure leaves an earlier result intact.
  state.DocXML->Save(ResultFilePath(state.FicheroXML));
}

}  // namespace

void BImportarClick(RunState& state, Shell& shell) {
  shell.ShowMessage(messages::kAbrirFicheroOrdalis);
  AskForSchoolFile(state, shell);
  if (!SchoolFileExists(state.FicheroXML) || !state.exchange.HasFile("SOLUC.DBF")) {
    EndWithoutFile(state, shell, messages::kNoExisteArchivoXmlOSolucion);
    return;
  }

  const bool completed = RunReportingErrors(shell, [&] {
    WaitCursor waiting(shell);
    WriteResultFile(state);
  });
  if (completed) EndCompleted(state, shell);
}

}  // namespace tto
