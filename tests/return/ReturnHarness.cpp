#include "tests/return/ReturnHarness.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "return/ReturnRun.h"

namespace tto::testing {

namespace {

FieldDef Text(std::string name, int width) {
  return {std::move(name), FieldKind::Text, width};
}
FieldDef Of(std::string name, FieldKind kind) {
  return {std::move(name), kind, 0};
}

std::int32_t ParseInt(const std::string& text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) {
    throw std::invalid_argument("not an integer: " + text);
  }
  return value;
}

double ParseDouble(const std::string& text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) {
    throw std::invalid_argument("not a number: " + text);
  }
  return value;
}

std::string ToString(const xmlChar* text) {
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

ElementView ViewOf(xmlNode* element) {
  ElementView view;
  view.name = ToString(element->name);
  for (xmlAttr* attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    xmlChar* value = xmlNodeListGetString(element->doc, attribute->children, 1);
    view.attributes.emplace_back(ToString(attribute->name), ToString(value));
    xmlFree(value);
  }
  for (xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) view.children.push_back(ViewOf(child));
  }
  return view;
}

std::string JoinAttributes(const std::vector<std::pair<std::string, std::string>>& attributes) {
  std::string line;
  for (const auto& [name, value] : attributes) {
    if (!line.empty()) line += ' ';
    line += name + "=" + value;
  }
  return line;
}

}  // namespace

const char* LayoutName(SolucLayout layout) {
  switch (layout) {
    case SolucLayout::Numeric:
      return "Numeric";
    case SolucLayout::Binary:
      return "Binary";
    case SolucLayout::Text:
      return "Text";
  }
  return "?";
}

const std::vector<FieldDef>& AsignomtSchema() {
  static const std::vector<FieldDef> schema = {Text("COD", 10),
                                               Text("CODLARGO", 10),
                                               Text("NOMBRE", 80),
                                               Text("CODTAREA", 12),
                                               Of("ESTAREA", FieldKind::Boolean),
                                               Text("ABREV_GESTION", 10)};
  return schema;
}

const std::vector<FieldDef>& ProftSchema() {
  static const std::vector<FieldDef> schema = {Text("ABREV", 10), Text("NOMBRE", 80),
                                               Text("DEPART", 40)};
  return schema;
}

const std::vector<FieldDef>& AulatSchema() {
  static const std::vector<FieldDef> schema = {
      Text("ABREV", 10), Text("NOMBRE", 80), Text("EDIFICIO", 1), Of("MAXALUM", FieldKind::Integer),
      Text("ABREV_GESTION", 20)};
  return schema;
}

const std::vector<FieldDef>& GrupostSchema() {
  static const std::vector<FieldDef> schema = {
      Text("ABREV", 10), Text("TURNO", 1),    Text("NIVEL", 5), Text("CURSO", 3),
      Text("GRUPO", 2),  Text("DESCRIP", 80), Text("TUTOR", 10)};
  return schema;
}

const std::vector<FieldDef>& DiashorastSchema() {
  static const std::vector<FieldDef> schema = {
      Text("DIHO", 10),     Text("CODDIHO", 10),
      Text("DIA", 20),      Text("TEXTODIA", 20),
      Text("HORA", 8),      Text("TEXTOHOR", 15),
      Text("HORADESDE", 8), Text("HORAHASTA", 8),
      Text("MINUTOS", 8),   Of("SESION_ORDEN", FieldKind::Integer),
      Text("PLANTILLA", 20)};
  return schema;
}

const std::vector<FieldDef>& AsigtSchema() {
  static const std::vector<FieldDef> schema = {
      Text("CASIG", 10),    Text("CPROF", 10),  Text("CGRUP", 10),
      Text("CAULA", 10),    Text("TURNO", 1),   Text("NIVEL", 5),
      Text("CURSO", 3),     Text("GRUPO", 2),   Of("HORAS", FieldKind::Float),
      Text("SESIONES", 20), Text("CTAREA", 10), Text("ASIG_GESTION", 10)};
  return schema;
}

std::vector<FieldDef> SolucSchema(SolucLayout layout, std::string_view without) {
  std::vector<FieldDef> schema = {Text("ASIG", 10), Text("TAREA", 10)};
  if (layout == SolucLayout::Text) {
    schema.push_back(Text("DIA", 5));
    schema.push_back(Text("HORA", 5));
  } else {
    schema.push_back(Of("DIA", FieldKind::Integer));
    schema.push_back(Of("HORA", FieldKind::Float));
  }
  schema.push_back(Text("CODGRUPO", 10));
  schema.push_back(Text("PROF", 10));
  schema.push_back(Text("AULA", 10));
  // A field name longer than ten characters needs level 7, where numbers are binary.
  if (layout == SolucLayout::Binary) schema.push_back(Text("ORDEN_SESION", 10));
  std::erase_if(schema, [&](const FieldDef& field) { return field.name == without; });
  return schema;
}

void WriteTable(const std::filesystem::path& folder, std::string_view name,
                const std::vector<FieldDef>& schema, const std::vector<TableRow>& rows) {
  CreateTable(folder, name, schema);
  Table table{std::string(name)};
  OpenTable open(table, folder);
  for (const TableRow& row : rows) {
    table.Append();
    for (const auto& [field, text] : row) {
      const auto def = std::find_if(schema.begin(), schema.end(),
                                    [&](const FieldDef& f) { return f.name == field; });
      if (def == schema.end()) continue;  // a field this variant of the table lacks
      switch (def->kind) {
        case FieldKind::Text:
          table.SetText(field, text);
          break;
        case FieldKind::Boolean:
          table.SetBoolean(field, text == "T");
          break;
        case FieldKind::Integer:
          if (!text.empty()) table.SetInteger(field, ParseInt(text));
          break;
        case FieldKind::Float:
          if (!text.empty()) table.SetFloat(field, ParseDouble(text));
          break;
      }
    }
    table.Post();
  }
  open.Close();
}

std::vector<std::string> ElementView::AttributeNames() const {
  std::vector<std::string> names;
  for (const auto& attribute : attributes) names.push_back(attribute.first);
  return names;
}

std::string ElementView::Attribute(std::string_view attributeName) const {
  for (const auto& [name, value] : attributes) {
    if (name == attributeName) return value;
  }
  return "<missing " + std::string(attributeName) + ">";
}

std::string ElementView::Line() const {
  return JoinAttributes(attributes);
}

std::vector<std::string> ResultView::Activities() const {
  std::vector<std::string> lines;
  for (const ElementView& horario : root.children) {
    for (const ElementView& actividad : horario.children) {
      lines.push_back(actividad.name == "actividad" ? actividad.Line()
                                                    : "<" + actividad.name + ">");
    }
  }
  return lines;
}

std::optional<ResultView> ReadResultFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  // From memory: the document service refuses every entity loader, the file's own included.
  const std::string bytes = ReadFileBytes(path);
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "result.xml", nullptr,
                              XML_PARSE_NONET);
  if (doc == nullptr) {
    ADD_FAILURE() << "the result file does not parse: " << path << "\n" << bytes;
    return std::nullopt;
  }
  ResultView view;
  for (xmlNode* node = doc->children; node != nullptr; node = node->next) {
    if (node->type == XML_COMMENT_NODE) {
      view.topLevel.push_back("comment:" + ToString(node->content));
    } else if (node->type == XML_PI_NODE) {
      view.topLevel.push_back("pi:" + ToString(node->name));
    } else if (node->type == XML_ELEMENT_NODE) {
      view.topLevel.push_back("element:" + ToString(node->name));
    }
  }
  if (xmlNode* root = xmlDocGetRootElement(doc)) view.root = ViewOf(root);
  xmlFreeDoc(doc);
  return view;
}

std::string LessonLine(std::string_view tipo, std::string_view profesor, std::string_view grupo,
                       std::string_view materia, std::string_view aula, std::string_view dia,
                       std::string_view inicio, std::string_view fin) {
  return JoinAttributes({{"tipo", std::string(tipo)},
                         {"codigoProfesor", std::string(profesor)},
                         {"codigoGrupo", std::string(grupo)},
                         {"codigoMateria", std::string(materia)},
                         {"codigoAula", std::string(aula)},
                         {"dia", std::string(dia)},
                         {"HoraInicio", std::string(inicio)},
                         {"HoraFin", std::string(fin)}});
}

std::string TaskLine(std::string_view tipo, std::string_view profesor, std::string_view grupo,
                     std::string_view aula, std::string_view dia, std::string_view inicio,
                     std::string_view fin) {
  return JoinAttributes({{"tipo", std::string(tipo)},
                         {"codigoProfesor", std::string(profesor)},
                         {"codigoGrupo", std::string(grupo)},
                         {"codigoMateria", ""},
                         {"codigAula", std::string(aula)},
                         {"dia", std::string(dia)},
                         {"HoraInicio", std::string(inicio)},
                         {"HoraFin", std::string(fin)}});
}

std::string SchoolFileXml(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!-- Exportado por Ordalis -->\n"
         "<?ordalis version=\"3\"?>\n"
         "<Centro Codigo=\"28001234\" Nombre=\"IES Centro\" CursoEscolar=\"2024/2025\" "
         "Version=\"3.1\">\n" +
         std::string(body) + "</Centro>\n";
}

ReturnHarness::ReturnHarness() {
  state.exchange = ExchangeFolder(exchange.path());
}

void ReturnHarness::WriteWorkingTables() const {
  const std::filesystem::path& folder = exchange.path();
  WriteTable(
      folder, "ASIGNOMT", AsignomtSchema(),
      {{{"COD", "MA01"}, {"NOMBRE", "Matem\xE1ticas"}, {"ABREV_GESTION", "MATE01"}},
       {{"COD", "LEUA"}, {"NOMBRE", "Lengua"}, {"ABREV_GESTION", "LENGUA"}},
       {{"COD", "MAT"}, {"NOMBRE", "Matem\xE1tica aplicada"}, {"ABREV_GESTION", "MATX"}},
       {{"COD", "GUAR"}, {"NOMBRE", "Guardia"}, {"ESTAREA", "T"}, {"ABREV_GESTION", "GUARDIA"}},
       {{"COD", "MA01"}, {"NOMBRE", "Duplicada"}, {"ABREV_GESTION", "SEGUNDA"}}});
  WriteTable(folder, "PROFT", ProftSchema(),
             {{{"ABREV", "P1"}, {"NOMBRE", "Ana, Ruiz Gil"}},
              {{"ABREV", "P2"}, {"NOMBRE", "Luis, Gil Sanz"}},
              {{"ABREV", "P1"}, {"NOMBRE", "Duplicado"}}});
  WriteTable(folder, "AULAT", AulatSchema(),
             {{{"ABREV", "AU1"}, {"NOMBRE", "Aula 12"}, {"ABREV_GESTION", "AULA12"}},
              {{"ABREV", "A12"}, {"NOMBRE", "A12"}, {"ABREV_GESTION", "A12"}},
              {{"ABREV", "Labo"}, {"NOMBRE", "Laboratorio"}},
              {{"ABREV", "AU1"}, {"NOMBRE", "Duplicada"}, {"ABREV_GESTION", "AULA99"}}});
  WriteTable(folder, "GRUPOST", GrupostSchema(),
             {{{"ABREV", "1A"}, {"DESCRIP", "1A"}},
              {{"ABREV", "1EOA"}, {"DESCRIP", "1 ESO A"}},
              {{"ABREV", "2BAC"}, {"DESCRIP", "2 Bachillerato"}},
              {{"ABREV", "1A"}, {"DESCRIP", "Duplicado"}}});
  const auto slot = [](std::string diho, std::string dia, std::string hora, std::string desde,
                       std::string hasta) -> TableRow {
    return {{"DIHO", std::move(diho)},
            {"DIA", std::move(dia)},
            {"HORA", std::move(hora)},
            {"HORADESDE", desde},
            {"HORAHASTA", hasta},
            {"MINUTOS", "55"},
            {"TEXTOHOR", desde + "-" + hasta}};
  };
  WriteTable(folder, "DIASHORAST", DiashorastSchema(),
             {slot("11", "1", "1", "08:00", "08:55"), slot("12", "1", "2", "08:55", "09:50"),
              slot("111", "1", "11", "15:00", "15:55"), slot("21", "2", "1", "08:00", "08:55"),
              slot("22", "2", "2", "08:55", "09:50"), slot("61", "6", "1", "09:00", "10:00"),
              slot("71", "7", "1", "10:00", "11:00"), slot("11", "1", "1", "23:00", "23:59")});
  WriteTable(folder, "ASIGT", AsigtSchema(),
             {{{"CASIG", "MATE01"},
               {"CGRUP", "1A"},
               {"HORAS", "4"},
               {"SESIONES", "1111"},
               {"CTAREA", "CCM"},
               {"ASIG_GESTION", "1A"}}});
}

void ReturnHarness::WriteSoluc(const std::vector<SolucRow>& rows, SolucLayout layout,
                               std::string_view withoutField) const {
  DeleteTableFiles(exchange.path(), "SOLUC");
  std::vector<TableRow> tableRows;
  for (const SolucRow& row : rows) {
    tableRows.push_back({{"ASIG", row.asig},
                         {"TAREA", row.tarea},
                         {"DIA", row.dia},
                         {"HORA", row.hora},
                         {"CODGRUPO", row.codgrupo},
                         {"PROF", row.prof},
                         {"AULA", row.aula}});
  }
  WriteTable(exchange.path(), "SOLUC", SolucSchema(layout, withoutField), tableRows);
}

std::filesystem::path ReturnHarness::OfferSchoolFile(std::string_view xml,
                                                     std::string_view fileName) {
  const std::filesystem::path file = schools.Write(fileName, xml);
  shell.dialogAnswers.push_back(file.string());
  return file;
}

void ReturnHarness::OfferCancel() {
  shell.dialogAnswers.push_back(std::nullopt);
}

void ReturnHarness::Run() {
  BImportarClick(state, shell);
}

std::filesystem::path ReturnHarness::ResultPath(std::string_view schoolFileName) const {
  return schools / ("ResultadoTarvos" + std::string(schoolFileName));
}

std::optional<ResultView> ReturnHarness::Result(std::string_view schoolFileName) const {
  return ReadResultFile(ResultPath(schoolFileName));
}

void ReturnHarness::ExpectNoTableHeld() const {
  for (const Table* component :
       {&state.wwTableSoluc, &state.wwTableGrupos, &state.wwTableProfesor, &state.wwTableAulas,
        &state.wwTableNomAsg, &state.wwTableTramos, &state.wwTableAsig}) {
    EXPECT_FALSE(component->IsOpen()) << component->TableName() << " left open";
    if (FindFileIgnoringCase(exchange.path(), component->TableName() + ".DBF").empty()) continue;
    Table other{component->TableName()};
    EXPECT_NO_THROW({
      other.Open(exchange.path());
      other.Close();
    }) << component->TableName()
       << " is still held";
  }
}

std::vector<std::string> ReturnHarness::SchoolFolderFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(schools.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tto::testing
