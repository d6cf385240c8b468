#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

#include "intake/Builders.h"
#include "intake/CodeRegistry.h"
#include "intake/MainList.h"

namespace tto {

namespace {

const std::vector<FieldDef>& TeacherFields() {
  static const std::vector<FieldDef> fields = {
      {"ABREV", FieldKind::Text, 10},
      {"NOMBRE", FieldKind::Text, 80},
      {"DEPART", FieldKind::Text, 40},
  };
  return fields;
}

// A teacher's department value: the name of the first department, in document order, whose
// Codigo equals the teacher's department code; the code itself when no department has it
// or the file lists fewer than two departments.
//
// The answer is the one of a scan from the first department that stops at the first match,
// made once per call instead of once per teacher: the departments are indexed up to the
// first one lacking Codigo. A scan never gets past that one without failing on it, so a
// code not indexed fails there too, with the same error.
class DepartmentNames {
 public:
  explicit DepartmentNames(const XmlDocument& document) : document_(document) {}

  std::string ValueFor(const std::string& departmentCode) {
    if (departmentCode.empty()) return departmentCode;
    if (!departments_) Index();
    if (departments_->Count() <= 1) return departmentCode;
    if (auto found = firstByCode_.find(departmentCode); found != firstByCode_.end()) {
      return departments_->Item(found->second).AttributeText("Denominacion");
    }
    if (firstWithoutCode_) (void)departments_->Item(*firstWithoutCode_).AttributeText("Codigo");
    return departmentCode;
  }

 private:
  void Index() {
    departments_ = document_.SelectNodes("/Centro/Departamentos/Departamento");
    if (departments_->Count() <= 1) return;
    for (std::size_t i = 0; i < departments_->Count(); ++i) {
      const XmlNode department = departments_->Item(i);
      if (!department.HasAttribute("Codigo")) {
        firstWithoutCode_ = i;
        return;
      }
      firstByCode_.try_emplace(department.AttributeText("Codigo"), i);
    }
  }

  const XmlDocument& document_;
  std::optional<XmlNodeList> departments_;
  std::unordered_map<std::string, std::size_t> firstByCode_;
  std::optional<std::size_t> firstWithoutCode_;
};

}  // namespace

// Rebuilds the teacher table PROFT: one row per teacher with a code distinct within the
// table (ignoring letter case), the full name and the department's name.
void CrearTablaProfesores(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  Table& proft = state.wwTableProfesor;
  RebuildTable(folder, proft.TableName(), TeacherFields());
  CodigosTabla registry;
  DepartmentNames departments(*state.DocXML);

  const XmlNodeList teachers = state.DocXML->SelectNodes("/Centro/Profesores/Profesor");
  OpenTable open(proft, folder);
  if (TakesMainList(teachers)) {
    for (std::size_t i = 0; i < teachers.Count(); ++i) {
      const XmlNode teacher = teachers.Item(i);
      const std::string code = teacher.AttributeText("Codigo");
      const std::string nombre = teacher.AttributeText("Nombre");
      const std::string apellido1 = teacher.AttributeText("Apellido1");
      const std::string apellido2 = teacher.AttributeText("Apellido2");
      const std::string departmentCode = teacher.AttributeText("CodigoDep");

      const std::string fullName = nombre + ", " + apellido1 + " " + apellido2;
      const std::string depart = departments.ValueFor(departmentCode);
      // The registry compares whole codes; the store cuts ABREV to its width afterwards.
      const std::string abrev = GiveOutCode(code, registry, LongCodeRule::Keep);

      proft.Append();
      proft.SetText("ABREV", abrev);
      proft.SetText("NOMBRE", fullName);
      proft.SetText("DEPART", depart);
      proft.Post();
    }
  }
  open.Close();
}

}  // namespace tto
