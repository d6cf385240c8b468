#include <string>
#include <unordered_map>
#include <vector>

#include "intake/Builders.h"
#include "intake/MainList.h"
#include "intake/TeachingLoad.h"
#include "store/AnsiText.h"

// ASIGT: one row for every subject a group is taught, group by group in document order,
// with the load in sessions Velmora plans with.

namespace tto {
namespace {

const std::vector<FieldDef> kAsigtFields = {
    {"CASIG", FieldKind::Text, 10},  {"CPROF", FieldKind::Text, 10},
    {"CGRUP", FieldKind::Text, 10},  {"CAULA", FieldKind::Text, 10},
    {"TURNO", FieldKind::Text, 1},   {"NIVEL", FieldKind::Text, 5},
    {"CURSO", FieldKind::Text, 3},   {"GRUPO", FieldKind::Text, 2},
    {"HORAS", FieldKind::Float, 0},  {"SESIONES", FieldKind::Text, 20},
    {"CTAREA", FieldKind::Text, 10}, {"ASIG_GESTION", FieldKind::Text, 10},
};

struct Group {
  std::string code;
  std::string shift;
  std::string level;
  std::string course;
  std::string letter;
  std::string managementCode;
};

Group ReadGroup(const XmlNode& element) {
  Group group;
  group.code = element.AttributeText("Codigo");
  group.shift = element.AttributeText("Turno");
  group.level = element.AttributeText("CodigoEnsenanza");
  group.course = element.AttributeText("Curso");
  group.letter = element.AttributeText("Letra");
  group.managementCode = element.AttributeText("Codigo");
  return group;
}

struct Subject {
  std::string code;
  float load = 0.0f;
};

void AppendLoadRow(Table& asigt, const Group& group, const Subject& subject) {
  asigt.Append();
  asigt.SetText("CASIG", subject.code);
  asigt.SetText("CPROF", "");
  asigt.SetText("CGRUP", group.code);
  asigt.SetText("CAULA", "");
  asigt.SetText("TURNO", group.shift);
  asigt.SetText("NIVEL", group.level);
  asigt.SetText("CURSO", group.course);
  asigt.SetText("GRUPO", group.letter);
  asigt.SetFloat("HORAS", static_cast<double>(subject.load));
  asigt.SetText("SESIONES", SessionPattern(subject.load));
  asigt.SetText("CTAREA", "CCM");
  asigt.SetText("ASIG_GESTION", group.managementCode);
  asigt.Post();
}

// A group owns the subject elements whose enclosing Grupo carries its code: compared as
// the document holds that code, so a group code with a character that Windows-1252 lacks
// (a '?' in program text) owns none.
using SubjectsByGroupCode = std::unordered_map<std::string, std::vector<Subject>>;

// The first group's pass visits every subject element of the file in document order: each
// one's hours are converted, so a defective element anywhere ends the run here, after the
// rows already posted. The pass also sorts the subjects by their group's code, so that the
// later groups find theirs without visiting the whole list again.
SubjectsByGroupCode FirstGroupPass(const XmlNodeList& subjects, const SessionLengths& lengths,
                                   Table& asigt, const Group& firstGroup) {
  SubjectsByGroupCode byGroup;
  const std::string firstKey = AnsiToUtf8(firstGroup.code);
  for (std::size_t i = 0; i < subjects.Count(); ++i) {
    const XmlNode element = subjects.Item(i);
    Subject subject;
    subject.code = element.AttributeText("Codigo");
    const std::string hours = element.AttributeText("Horas");
    subject.load = TeachingLoad(hours, lengths);
    if (subject.code.empty()) continue;

    std::string groupKey = element.ParentNode().ParentNode().AttributeTextUtf8("Codigo");
    if (groupKey == firstKey) AppendLoadRow(asigt, firstGroup, subject);
    byGroup[std::move(groupKey)].push_back(std::move(subject));
  }
  return byGroup;
}

}  // namespace

void CrearTablaAsignaciones(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  RebuildTable(folder, "ASIGT", kAsigtFields);
  Table asigtTable("ASIGT");
  OpenTable asigt(asigtTable, folder);
  OpenTable grupos(state.wwTableGrupos, folder);
  OpenTable nomAsg(state.wwTableNomAsg, folder);

  const XmlNodeList groups = state.DocXML->SelectNodes("/Centro/Grupos/Grupo");
  const XmlNodeList subjects =
      state.DocXML->SelectNodes("/Centro/Grupos/Grupo/MateriasGrupo/MateriaGrupo");
  const SessionLengths lengths{state.Duracion1, state.Duracion2, state.Duracion3};

  if (TakesMainList(groups)) {
    const Group first = ReadGroup(groups.Item(0));
    const SubjectsByGroupCode byGroup = FirstGroupPass(subjects, lengths, *asigt, first);
    for (std::size_t g = 1; g < groups.Count(); ++g) {
      const Group group = ReadGroup(groups.Item(g));
      const auto owned = byGroup.find(AnsiToUtf8(group.code));
      if (owned == byGroup.end()) continue;
      for (const Subject& subject : owned->second) AppendLoadRow(*asigt, group, subject);
    }
  }

  asigt.Close();
  grupos.Close();
  nomAsg.Close();
}

}  // namespace tto
