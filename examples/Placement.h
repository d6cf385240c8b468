#pragma once

// The stand-in's timetabler: places every session of every teaching load of ASIGT in a
// slot of DIASHORAST with a teacher and, where one is free, a room, so that no group,
// teacher or room is in two places at once. A greedy placement with one-step repairs; it
// is deterministic, so the same working tables always give the same SOLUC.

#include <string>
#include <vector>

#include "examples/WorkingTables.h"

namespace tto::standin {

// One row of SOLUC. An unplaced session has slot -1 and is written with day and slot 0,
// as Velmora leaves what it could not place.
struct Placement {
  std::string asig;   // COD of the subject or activity type
  std::string tarea;  // CTAREA of the load for a lesson; the same as asig for a task
  int slot = -1;      // index into WorkingTables::slots
  int group = -1;     // index into WorkingTables::groups, or -1
  int teacher = -1;   // index into WorkingTables::teachers, or -1 (a school without staff)
  int room = -1;      // index into WorkingTables::rooms, or -1 (no room free)
};

struct Timetable {
  std::vector<Placement> lessons;
  std::vector<Placement> tasks;
  int placedLoads = 0;
  int skippedLoads = 0;  // subject or group unknown to the working tables
  int unplacedSessions = 0;
};

// Who is where: one cell per group, teacher and room and slot, holding what is there.
class Occupancy {
 public:
  Occupancy(const WorkingTables& tables);
  bool GroupFree(int group, int slot) const { return group < 0 || groups_[At(group, slot)] < 0; }
  bool TeacherFree(int teacher, int slot) const {
    return teacher < 0 || teachers_[At(teacher, slot)] < 0;
  }
  bool RoomFree(int room, int slot) const { return room < 0 || rooms_[At(room, slot)] < 0; }
  int GroupAt(int group, int slot) const { return group < 0 ? -1 : groups_[At(group, slot)]; }
  int TeacherAt(int teacher, int slot) const {
    return teacher < 0 ? -1 : teachers_[At(teacher, slot)];
  }
  // Marks (or, with what = -1, clears) the cells of one placement.
  void Mark(const Placement& p, int what);

 private:
  std::size_t At(int row, int slot) const {
    return static_cast<std::size_t>(row) * slots_ + static_cast<std::size_t>(slot);
  }
  std::size_t slots_;
  std::vector<int> groups_, teachers_, rooms_;
};

// The room each activity of ASIGNOMT prefers (by the words of its name), or -1.
std::vector<int> PreferredRooms(const WorkingTables& tables);

// Places the lessons of every load; occupancy is left holding them.
Timetable PlaceLessons(const WorkingTables& tables, Occupancy& occupancy);

}  // namespace tto::standin
