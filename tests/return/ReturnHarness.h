#pragma once

// Drives return runs on working tables and SOLUC tables made here through the table store:
// a scripted shell answers the dialog, one scratch folder serves as the exchange folder and
// another holds the school file and the result file, which is read back with libxml2 on its
// own (not through the document service under test).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/RunState.h"
#include "store/Table.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedShell.h"

namespace tto::testing {

// How a SOLUC table stores its day and slot: numeric fields of a level-4 table, binary
// long and double fields of a level-7 table, or text fields.
enum class SolucLayout { Numeric, Binary, Text };
const char* LayoutName(SolucLayout layout);

// One solution row: what Velmora placed where. DIA and HORA are written as the layout
// stores them; as texts for the text layout.
struct SolucRow {
  std::string asig;
  std::string tarea;
  std::string dia;
  std::string hora;
  std::string codgrupo;
  std::string prof;
  std::string aula;
};

// A field of a working table and the text written to it (empty texts are not written).
using TableRow = std::vector<std::pair<std::string, std::string>>;

// Schemas of the working tables, as intake creates them.
const std::vector<FieldDef>& AsignomtSchema();
const std::vector<FieldDef>& ProftSchema();
const std::vector<FieldDef>& AulatSchema();
const std::vector<FieldDef>& GrupostSchema();
const std::vector<FieldDef>& DiashorastSchema();
const std::vector<FieldDef>& AsigtSchema();
// SOLUC's fields in the given layout; without the named field when one is given.
std::vector<FieldDef> SolucSchema(SolucLayout layout, std::string_view without = {});

// Creates a table and appends the rows (text fields by SetText, Integer fields by
// SetInteger, Float fields by SetFloat of the text read with a point).
void WriteTable(const std::filesystem::path& folder, std::string_view name,
                const std::vector<FieldDef>& schema, const std::vector<TableRow>& rows);

// An element of the result file: its name, its attributes in document order (UTF-8) and
// its child elements.
struct ElementView {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<ElementView> children;

  std::vector<std::string> AttributeNames() const;
  std::string Attribute(std::string_view attributeName) const;
  // "name=value name=value ...", in document order.
  std::string Line() const;
};

// A result file: the document's top-level nodes in order ("comment:text", "pi:target",
// "element:name") and the root element.
struct ResultView {
  std::vector<std::string> topLevel;
  ElementView root;

  // The actividad elements of horario, one line each.
  std::vector<std::string> Activities() const;
};

std::optional<ResultView> ReadResultFile(const std::filesystem::path& path);

// Expected lines of an actividad element of each pass.
std::string LessonLine(std::string_view tipo, std::string_view profesor, std::string_view grupo,
                       std::string_view materia, std::string_view aula, std::string_view dia,
                       std::string_view inicio, std::string_view fin);
std::string TaskLine(std::string_view tipo, std::string_view profesor, std::string_view grupo,
                     std::string_view aula, std::string_view dia, std::string_view inicio,
                     std::string_view fin);

// The school file's root with its four attributes around a body, with a comment and a
// processing instruction before the root.
std::string SchoolFileXml(std::string_view body = {});

class ReturnHarness {
 public:
  ReturnHarness();

  // The working tables of the activity cases: a few subjects, teachers, rooms, groups and
  // slots, each with a later duplicate that a first-match search never reaches.
  void WriteWorkingTables() const;
  void WriteSoluc(const std::vector<SolucRow>& rows, SolucLayout layout = SolucLayout::Numeric,
                  std::string_view withoutField = {}) const;

  // Writes a school file into the school folder and answers the next dialog with it.
  std::filesystem::path OfferSchoolFile(std::string_view xml,
                                        std::string_view fileName = "centro.xml");
  void OfferCancel();

  void Run();  // BImportarClick with the script as it stands

  std::filesystem::path ResultPath(std::string_view schoolFileName = "centro.xml") const;
  std::optional<ResultView> Result(std::string_view schoolFileName = "centro.xml") const;

  // The run left every table closed and nobody holds any of the seven tables.
  void ExpectNoTableHeld() const;
  // Names of the files in the school folder, sorted.
  std::vector<std::string> SchoolFolderFiles() const;

  ScratchFolder schools;
  ScratchFolder exchange;
  RunState state;
  ScriptedShell shell;
};

}  // namespace tto::testing
