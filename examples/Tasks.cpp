#include "examples/Tasks.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <tuple>

#include "examples/NameWords.h"

namespace tto::standin {

namespace {

// Teachers on guard in one slot: one where the guard has a room of its own (the library),
// three otherwise.
constexpr int kGuardsPerSlot = 3;

class TaskPlacer {
 public:
  TaskPlacer(const WorkingTables& tables, Occupancy& occupancy, Timetable& timetable)
      : tables_(tables),
        occupancy_(occupancy),
        timetable_(timetable),
        rooms_(PreferredRooms(tables)),
        hoursOnDay_(tables.teachers.size(), std::vector<int>(8, 0)),
        tasks_(tables.teachers.size(), 0) {
    for (const Placement& lesson : timetable.lessons) {
      if (lesson.slot >= 0) ++hoursOnDay_[lesson.teacher][Day(lesson.slot)];
    }
  }

  int Slots() const { return static_cast<int>(tables_.slots.size()); }
  int Teachers() const { return static_cast<int>(tables_.teachers.size()); }

  // The teacher's free slot on the day they work least, or -1.
  int FreeSlot(int teacher) const {
    int best = -1;
    std::tuple<int, int> bestCost{0, 0};
    for (int s = 0; s < Slots(); ++s) {
      if (!occupancy_.TeacherFree(teacher, s)) continue;
      const std::tuple<int, int> cost{hoursOnDay_[teacher][Day(s)], (s + 5 * teacher) % Slots()};
      if (best < 0 || cost < bestCost) {
        best = s;
        bestCost = cost;
      }
    }
    return best;
  }

  void Add(std::size_t activity, int teacher, int slot, int group = -1) {
    const std::string& cod = tables_.activities[activity].cod;
    Placement task{cod, cod, slot, group, teacher, -1};
    if (rooms_[activity] >= 0 && occupancy_.RoomFree(rooms_[activity], slot)) {
      task.room = rooms_[activity];
    }
    occupancy_.Mark(task, static_cast<int>(timetable_.tasks.size()));
    timetable_.tasks.push_back(task);
    ++hoursOnDay_[teacher][Day(slot)];
    ++tasks_[teacher];
  }

  void EachTeacherOnce(std::size_t activity) {
    for (int t = 0; t < Teachers(); ++t) {
      if (const int s = FreeSlot(t); s >= 0) Add(activity, t, s);
    }
  }

  void EveryTutorWithParents(std::size_t activity) {
    std::map<std::string, int> teacherByCode;
    for (int t = 0; t < Teachers(); ++t) teacherByCode.try_emplace(tables_.teachers[t].abrev, t);
    for (std::size_t g = 0; g < tables_.groups.size(); ++g) {
      const auto tutor = teacherByCode.find(tables_.groups[g].tutor);
      if (tables_.groups[g].tutor.empty() || tutor == teacherByCode.end()) continue;
      if (const int s = FreeSlot(tutor->second); s >= 0) {
        Add(activity, tutor->second, s, static_cast<int>(g));
      }
    }
  }

  // Each department meets at the latest hour all its members have free; a department
  // without one meets member by member.
  void EveryDepartmentTogether(std::size_t activity) {
    std::map<std::string, std::vector<int>> members;
    std::vector<std::string> order;
    for (int t = 0; t < Teachers(); ++t) {
      auto [it, added] = members.try_emplace(tables_.teachers[t].depart);
      if (added) order.push_back(it->first);
      it->second.push_back(t);
    }
    for (const std::string& department : order) {
      const std::vector<int>& team = members[department];
      int common = -1;
      for (int s = Slots() - 1; s >= 0 && common < 0; --s) {
        if (std::all_of(team.begin(), team.end(),
                        [&](int t) { return occupancy_.TeacherFree(t, s); })) {
          common = s;
        }
      }
      for (int t : team) {
        if (const int s = common >= 0 ? common : FreeSlot(t); s >= 0) Add(activity, t, s);
      }
    }
  }

  // Guards in every slot, taken by the free teachers with the fewest tasks so far.
  void GuardEverySlot(std::size_t activity) {
    const int perSlot = rooms_[activity] >= 0 ? 1 : kGuardsPerSlot;
    for (int s = 0; s < Slots(); ++s) {
      std::vector<int> free;
      for (int t = 0; t < Teachers(); ++t) {
        if (occupancy_.TeacherFree(t, s)) free.push_back(t);
      }
      const auto key = [&](int t) { return std::tuple(tasks_[t], (t + 7 * s) % Teachers()); };
      std::sort(free.begin(), free.end(), [&](int a, int b) { return key(a) < key(b); });
      for (int k = 0; k < perSlot && k < static_cast<int>(free.size()); ++k) {
        Add(activity, free[k], s);
      }
    }
  }

 private:
  int Day(int slot) const {
    const int day = tables_.slots[slot].dia;
    return day >= 1 && day <= 7 ? day : 0;
  }

  const WorkingTables& tables_;
  Occupancy& occupancy_;
  Timetable& timetable_;
  std::vector<int> rooms_;
  std::vector<std::vector<int>> hoursOnDay_;
  std::vector<int> tasks_;
};

}  // namespace

void PlaceTasks(const WorkingTables& tables, Occupancy& occupancy, Timetable& timetable) {
  if (tables.slots.empty() || tables.teachers.empty()) return;
  TaskPlacer placer(tables, occupancy, timetable);
  for (std::size_t a = 0; a < tables.activities.size(); ++a) {
    const std::string& name = tables.activities[a].nombre;
    if (!tables.activities[a].task) continue;
    if (HasWord(name, "padre") || HasWord(name, "famil")) {
      placer.EveryTutorWithParents(a);
    } else if (HasWord(name, "departa") || HasWord(name, "reuni")) {
      placer.EveryDepartmentTogether(a);
    } else if (HasWord(name, "guardia")) {
      placer.GuardEverySlot(a);
    } else {
      placer.EachTeacherOnce(a);
    }
  }
}

}  // namespace tto::standin
