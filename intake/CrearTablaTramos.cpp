#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "intake/Builders.h"
#include "intake/MainList.h"
#include "intake/TextPiece.h"
#include "store/Conversions.h"
#include "store/RunError.h"

// DIASHORAST: the week's time slots, numbered from 1 within each day; COUNTSES: how many
// slots have each length, with the first three lengths met becoming the session lengths.

namespace tto {
namespace {

const std::vector<FieldDef> kDiasHorasFields = {
    {"DIHO", FieldKind::Text, 10},      {"CODDIHO", FieldKind::Text, 10},
    {"DIA", FieldKind::Text, 20},       {"TEXTODIA", FieldKind::Text, 20},
    {"HORA", FieldKind::Text, 8},       {"TEXTOHOR", FieldKind::Text, 15},
    {"HORADESDE", FieldKind::Text, 8},  {"HORAHASTA", FieldKind::Text, 8},
    {"MINUTOS", FieldKind::Text, 8},    {"SESION_ORDEN", FieldKind::Integer, 0},
    {"PLANTILLA", FieldKind::Text, 20},
};

const std::vector<FieldDef> kCountSesFields = {
    {"DURACION", FieldKind::Text, 10},
    {"NSES", FieldKind::Integer, 0},
};

const std::vector<IndexDef> kCountSesIndexes = {{"NSES", "NSES"}};

struct Day {
  char letter;
  char digit;
  const char* name;  // program text
};

// Names in Windows-1252: \xE9 is e acute; \341 is a acute (byte E1), written in octal so
// that the escape ends before the letters that follow it.
constexpr Day kDays[] = {
    {'L', '1', "Lunes"},   {'M', '2', "Martes"},  {'X', '3', "Mi\xE9rcoles"},
    {'J', '4', "Jueves"},  {'V', '5', "Viernes"}, {'S', '6', "S\341bado"},
    {'D', '7', "Domingo"},
};

const Day* DayByLetter(char letter) {
  for (const Day& day : kDays) {
    if (day.letter == letter) return &day;
  }
  return nullptr;
}

const char* DayName(int number) {
  for (const Day& day : kDays) {
    if (day.digit - '0' == number) return day.name;
  }
  return "";
}

[[noreturn]] void UnknownDay(std::size_t position, const XmlNode& session, const std::string& dia) {
  std::string where = "la sesi\xF3n " + std::to_string(position);
  if (const long line = session.Line(); line > 0) {
    where += " (l\xEDnea " + std::to_string(line) + ")";
  }
  throw RunError("El d\355a '" + dia + "' de " + where +
                 " no empieza por ninguna de las letras L, M, X, J, V, S, D");
}

// Fills the slot list: one entry per session with a day, "1" "08:00" "08:55" " "
// "08:00-08:55", in ascending text order, equal entries kept. With HH:MM times that order
// is day, then start, then end.
void CollectSlots(const XmlDocument& document, std::vector<std::string>& slots) {
  slots.clear();
  const XmlNodeList sessions = document.SelectNodes("/Centro/Sesiones/Sesion");
  if (!TakesMainList(sessions)) return;
  for (std::size_t i = 0; i < sessions.Count(); ++i) {
    const XmlNode session = sessions.Item(i);
    const std::string dia = session.AttributeText("Dia");
    if (dia.empty()) continue;
    const Day* day = DayByLetter(dia.front());
    if (day == nullptr) UnknownDay(i + 1, session, dia);
    const std::string start = session.AttributeText("HoraInicio");
    const std::string end = session.AttributeText("HoraFin");
    slots.push_back(day->digit + start + end + " " + start + "-" + end);
  }
  std::stable_sort(slots.begin(), slots.end());
}

int PieceAsInteger(std::string_view entry, std::size_t index, std::size_t count) {
  return StrToInt(TextPiece(entry, index, count));
}

// Cuts each entry at its fixed positions and appends its row. A time that is not HH:MM
// shifts the positions; a piece that then does not read as an integer ends the run with
// the conversion error, the rows before it posted. Answers the MINUTOS text of each row.
std::vector<std::string> WriteSlotRows(const std::vector<std::string>& slots, Table& table) {
  std::vector<std::string> lengths;
  lengths.reserve(slots.size());
  int previousDay = 0;
  int slotNumber = 0;
  for (const std::string& entry : slots) {
    const int day = PieceAsInteger(entry, 1, 1);
    if (day != previousDay) {
      slotNumber = 0;
      previousDay = day;
    }
    ++slotNumber;
    const int start = PieceAsInteger(entry, 2, 2) * 60 + PieceAsInteger(entry, 5, 2);
    const int end = PieceAsInteger(entry, 7, 2) * 60 + PieceAsInteger(entry, 10, 2);
    const std::string minutes = std::to_string(end - start);

    table.Append();
    table.SetText("DIHO", std::to_string(day) + std::to_string(slotNumber));
    table.SetText("DIA", std::to_string(day));
    table.SetText("TEXTODIA", DayName(day));
    table.SetText("HORA", std::to_string(slotNumber));
    table.SetText("TEXTOHOR", TextPiece(entry, 13, 11));
    table.SetText("HORADESDE", TextPiece(entry, 2, 5));
    table.SetText("HORAHASTA", TextPiece(entry, 7, 5));
    table.SetText("MINUTOS", minutes);
    table.SetText("PLANTILLA", "");
    table.Post();
    lengths.push_back(minutes);
  }
  return lengths;
}

struct LengthCount {
  std::string length;
  int slots = 0;
};

// The tally in the order in which each length first occurs.
std::vector<LengthCount> TallyLengths(const std::vector<std::string>& lengths) {
  std::vector<LengthCount> tally;
  std::unordered_map<std::string, std::size_t> rowOf;
  for (const std::string& length : lengths) {
    const auto [it, isNew] = rowOf.try_emplace(length, tally.size());
    if (isNew) tally.push_back({length, 0});
    ++tally[it->second].slots;
  }
  return tally;
}

}  // namespace

void CrearTablaTramos(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  RebuildTable(folder, "DIASHORAST", kDiasHorasFields);

  CollectSlots(*state.DocXML, state.ListBoxPlanti);

  Table diasHorasTable("DIASHORAST");
  OpenTable diasHoras(diasHorasTable, folder);
  const std::vector<std::string> lengths = WriteSlotRows(state.ListBoxPlanti, *diasHoras);

  state.Duracion1 = 0;
  state.Duracion2 = 0;
  state.Duracion3 = 0;
  RebuildTable(folder, "COUNTSES", kCountSesFields, kCountSesIndexes);
  Table countSesTable("COUNTSES");
  OpenTable countSes(countSesTable, folder);
  // Each row of COUNTSES carries its final count straight away: the same rows, in the same
  // order, as counting up row by row, without searching the table once per slot.
  const std::vector<LengthCount> tally = TallyLengths(lengths);
  for (const LengthCount& entry : tally) {
    countSes->Append();
    countSes->SetText("DURACION", entry.length);
    countSes->SetInteger("NSES", entry.slots);
    countSes->Post();
  }
  int* sessionLengths[] = {&state.Duracion1, &state.Duracion2, &state.Duracion3};
  for (std::size_t i = 0; i < tally.size() && i < 3; ++i) {
    *sessionLengths[i] = StrToInt(tally[i].length);
  }

  countSes.Close();
  diasHoras.Close();
}

}  // namespace tto
