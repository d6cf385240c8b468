#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "intake/Builders.h"
#include "intake/CodeRegistry.h"
#include "intake/MainList.h"

// GRUPOST: Velmora's groups, with a code of at most four characters that is also the code
// the return run writes back, the teaching named in the description, and the tutor when
// the tutor is one of PROFT's teachers. The same rebuild removes CURSOST, which Velmora
// must not find left over from another converter.

namespace tto {
namespace {

const std::vector<FieldDef> kGrupostFields = {
    {"ABREV", FieldKind::Text, 10}, {"TURNO", FieldKind::Text, 1}, {"NIVEL", FieldKind::Text, 5},
    {"CURSO", FieldKind::Text, 3},  {"GRUPO", FieldKind::Text, 2}, {"DESCRIP", FieldKind::Text, 80},
    {"TUTOR", FieldKind::Text, 10},
};

// The teachings' names by code. The first teaching in document order with a given code
// names it. The codes are read once, in document order, as far as the first teaching that
// lacks Codigo: a code found before it is answered, and any other lookup raises that
// teaching's error, exactly where a scan from the first teaching would have stopped.
class TeachingNames {
 public:
  explicit TeachingNames(const XmlDocument& document) : document_(document) {}

  std::optional<std::string> Find(const std::string& code) {
    if (!read_) ReadCodes();
    if (teachings_.Count() < 2) return std::nullopt;
    if (const auto found = firstWithCode_.find(code); found != firstWithCode_.end()) {
      return teachings_.Item(found->second).AttributeText("Denominacion");
    }
    // Raises the document service's error for the teaching that lacks Codigo.
    if (firstWithoutCode_) (void)teachings_.Item(*firstWithoutCode_).AttributeText("Codigo");
    return std::nullopt;
  }

 private:
  void ReadCodes() {
    read_ = true;
    teachings_ = document_.SelectNodes("/Centro/Ensenanzas/Ensenanza");
    if (teachings_.Count() < 2) return;
    for (std::size_t i = 0; i < teachings_.Count(); ++i) {
      const XmlNode teaching = teachings_.Item(i);
      if (!teaching.HasAttribute("Codigo")) {
        firstWithoutCode_ = i;
        return;
      }
      firstWithCode_.try_emplace(teaching.AttributeText("Codigo"), i);
    }
  }

  const XmlDocument& document_;
  bool read_ = false;
  XmlNodeList teachings_;
  std::unordered_map<std::string, std::size_t> firstWithCode_;
  std::optional<std::size_t> firstWithoutCode_;
};

// Whether PROFT has a teacher with the code as ABREV: exact, case-sensitive, the whole
// value, as Locate answers it. PROFT is read once, on the first tutor, instead of being
// searched from its first row for every group.
class TutorCheck {
 public:
  explicit TutorCheck(Table& proft) : proft_(proft) {}

  bool IsTeacher(const std::string& code) {
    if (!read_) ReadTeachers();
    return teachers_.contains(code);
  }

 private:
  void ReadTeachers() {
    read_ = true;
    for (proft_.First(); !proft_.Eof(); proft_.Next()) teachers_.insert(proft_.Text("ABREV"));
  }

  Table& proft_;
  bool read_ = false;
  std::unordered_set<std::string> teachers_;
};

struct Group {
  std::string code;
  std::string description;
  std::string teaching;
  std::string shift;
  std::string year;
  std::string letter;
  std::string tutor;
};

Group ReadGroup(const XmlNode& element) {
  Group group;
  group.code = element.AttributeText("Codigo");
  group.description = element.AttributeText("Denominacion");
  group.teaching = element.AttributeText("CodigoEnsenanza");
  group.shift = element.AttributeText("Turno");
  group.year = element.AttributeText("Curso");
  group.letter = element.AttributeText("Letra");
  group.tutor = element.AttributeText("CodigoTutor");
  return group;
}

}  // namespace

void CrearTablaGrupos(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  DeleteTableFiles(folder, "GRUPOST");
  DeleteTableFiles(folder, "CURSOST");

  CodigosTabla registry;
  CreateTable(folder, "GRUPOST", kGrupostFields);
  OpenTable proft(state.wwTableProfesor, folder);

  const XmlNodeList groups = state.DocXML->SelectNodes("/Centro/Grupos/Grupo");
  Table grupostTable("GRUPOST");
  OpenTable grupost(grupostTable, folder);

  if (TakesMainList(groups)) {
    TeachingNames teachings(*state.DocXML);
    TutorCheck tutors(*proft);
    for (std::size_t i = 0; i < groups.Count(); ++i) {
      Group group = ReadGroup(groups.Item(i));

      if (!group.tutor.empty() && !tutors.IsTeacher(group.tutor)) group.tutor.clear();

      if (!group.teaching.empty()) {
        if (const auto name = teachings.Find(group.teaching)) {
          group.description += " (" + *name + ")";
        }
      }

      const std::string code = GiveOutCode(group.code, registry, LongCodeRule::FirstTwoLastTwo);

      grupost->Append();
      grupost->SetText("ABREV", code);
      grupost->SetText("TURNO", group.shift);
      grupost->SetText("NIVEL", group.teaching);
      grupost->SetText("CURSO", group.year);
      grupost->SetText("GRUPO", group.letter);
      grupost->SetText("DESCRIP", group.description);
      grupost->SetText("TUTOR", group.tutor);
      grupost->Post();
    }
  }

  grupost.Close();
  proft.Close();
}

}  // namespace tto
