#pragma once

// What the stand-in reads of the working tables an intake built: the rows it schedules
// from, in the tables' natural order. Texts are program text (Windows-1252).

#include <filesystem>
#include <string>
#include <vector>

namespace tto::standin {

struct Slot {
  int dia = 0;   // 1 (Monday) to 7
  int hora = 0;  // slot number within the day, from 1
};

struct Group {
  std::string abrev;  // Velmora's code: what SOLUC names the group by
  std::string turno, nivel, curso, letra;
  std::string tutor;  // a PROFT code, or empty
};

struct Teacher {
  std::string abrev;
  std::string depart;  // the department's name
};

struct Room {
  std::string abrev;
  std::string nombre;
};

// A row of ASIGNOMT: a subject (task false) or an activity type (task true).
struct Activity {
  std::string cod;  // Velmora's short code: what SOLUC names it by
  std::string nombre;
  std::string schoolCode;  // ABREV_GESTION
  bool task = false;
};

// A row of ASIGT: one subject taught to one group.
struct Load {
  std::string casig;  // the subject's school code
  std::string cgrup;  // the group's school code
  std::string turno, nivel, curso, grupo;
  std::string ctarea;
  double horas = 0;
};

struct WorkingTables {
  std::vector<Slot> slots;
  std::vector<Group> groups;
  std::vector<Teacher> teachers;
  std::vector<Room> rooms;
  std::vector<Activity> activities;
  std::vector<Load> loads;
};

// Reads the six tables from folder. A missing table is a RunError naming its file and
// asking for an intake run first.
WorkingTables ReadWorkingTables(const std::filesystem::path& folder);

}  // namespace tto::standin
