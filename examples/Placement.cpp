#include "examples/Placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

#include "examples/NameWords.h"

namespace tto::standin {

Occupancy::Occupancy(const WorkingTables& tables)
    : slots_(tables.slots.size()),
      groups_(tables.groups.size() * slots_, -1),
      teachers_(tables.teachers.size() * slots_, -1),
      rooms_(tables.rooms.size() * slots_, -1) {}

void Occupancy::Mark(const Placement& p, int what) {
  if (p.slot < 0) return;
  // A task names a group (the tutor's, for a meeting with its parents) without taking
  // its pupils out of their lessons.
  const bool lesson = p.asig != p.tarea;
  if (lesson && p.group >= 0) groups_[At(p.group, p.slot)] = what;
  if (p.teacher >= 0) teachers_[At(p.teacher, p.slot)] = what;
  if (p.room >= 0) rooms_[At(p.room, p.slot)] = what;
}

std::vector<int> PreferredRooms(const WorkingTables& tables) {
  std::vector<std::string> roomNames;
  for (const Room& room : tables.rooms) roomNames.push_back(room.nombre);
  std::vector<int> preferred;
  for (const Activity& activity : tables.activities) {
    const auto match = BestMatch(activity.nombre, roomNames);
    preferred.push_back(match ? static_cast<int>(*match) : -1);
  }
  return preferred;
}

namespace {

constexpr int kDays = 8;  // day numbers 1 to 7; 0 for anything else

int DayOf(const Slot& slot) {
  return slot.dia >= 1 && slot.dia < kDays ? slot.dia : 0;
}

// A second session of one subject on one day weighs more than any spread of a teacher's day.
constexpr int kSameDayCost = 100;

class Placer {
 public:
  Placer(const WorkingTables& tables, Occupancy& occupancy, std::vector<Placement>& lessons,
         const std::vector<int>& loadOf)
      : tables_(tables),
        occupancy_(occupancy),
        lessons_(lessons),
        loadOf_(loadOf),
        loadDay_(tables.loads.size()),
        teacherDay_(tables.teachers.size()) {}

  // Places lesson i in the cheapest slot where its group and teacher are free; failing
  // that, makes room by moving one lesson that stands in the way. Answers placed.
  bool Place(int i) {
    const Placement& p = lessons_[i];
    int best = -1;
    std::tuple<int, int> bestCost{0, 0};
    const int slots = static_cast<int>(tables_.slots.size());
    for (int s = 0; s < slots; ++s) {
      if (!occupancy_.GroupFree(p.group, s) || !occupancy_.TeacherFree(p.teacher, s)) continue;
      const int day = DayOf(tables_.slots[s]);
      // Groups start their search at different slots, so the first hours are not
      // everybody's first choice.
      const std::tuple<int, int> cost{
          kSameDayCost * loadDay_[loadOf_[i]][day] + TeacherDay(p.teacher, day),
          (s + 7 * std::max(p.group, 0)) % slots};
      if (best < 0 || cost < bestCost) {
        best = s;
        bestCost = cost;
      }
    }
    if (best >= 0) {
      Assign(i, best);
      return true;
    }
    for (int s = 0; s < slots; ++s) {
      if (occupancy_.GroupFree(p.group, s) && MoveAway(occupancy_.TeacherAt(p.teacher, s), s)) {
        Assign(i, s);
        return true;
      }
    }
    for (int s = 0; s < slots; ++s) {
      if (occupancy_.TeacherFree(p.teacher, s) && MoveAway(occupancy_.GroupAt(p.group, s), s)) {
        Assign(i, s);
        return true;
      }
    }
    return false;
  }

 private:
  int TeacherDay(int teacher, int day) const { return teacher < 0 ? 0 : teacherDay_[teacher][day]; }

  // Moves lesson j out of slot `from` to another slot where its group and teacher are free.
  bool MoveAway(int j, int from) {
    if (j < 0) return false;
    const Placement& q = lessons_[j];
    const int slots = static_cast<int>(tables_.slots.size());
    for (int s = 0; s < slots; ++s) {
      if (s == from || !occupancy_.GroupFree(q.group, s) || !occupancy_.TeacherFree(q.teacher, s)) {
        continue;
      }
      Unassign(j);
      Assign(j, s);
      return true;
    }
    return false;
  }

  void Assign(int i, int slot) {
    Placement& p = lessons_[i];
    p.slot = slot;
    occupancy_.Mark(p, i);
    const int day = DayOf(tables_.slots[slot]);
    ++loadDay_[loadOf_[i]][day];
    if (p.teacher >= 0) ++teacherDay_[p.teacher][day];
  }

  void Unassign(int i) {
    Placement& p = lessons_[i];
    const int day = DayOf(tables_.slots[p.slot]);
    --loadDay_[loadOf_[i]][day];
    if (p.teacher >= 0) --teacherDay_[p.teacher][day];
    occupancy_.Mark(p, -1);
    p.slot = -1;
  }

  const WorkingTables& tables_;
  Occupancy& occupancy_;
  std::vector<Placement>& lessons_;
  const std::vector<int>& loadOf_;
  std::vector<std::array<int, kDays>> loadDay_;
  std::vector<std::array<int, kDays>> teacherDay_;
};

// The teacher of each load: the group's tutor for its tutoring hour; otherwise the least
// busy teacher of the department whose name matches the subject's, or of the whole staff
// when none does.
class TeacherChooser {
 public:
  explicit TeacherChooser(const WorkingTables& tables) : busy_(tables.teachers.size(), 0) {
    std::map<std::string, std::size_t> departmentIndex;
    for (std::size_t t = 0; t < tables.teachers.size(); ++t) {
      const std::string& name = tables.teachers[t].depart;
      auto [it, added] = departmentIndex.try_emplace(name, departments_.size());
      if (added) {
        departments_.push_back(name);
        members_.emplace_back();
      }
      members_[it->second].push_back(static_cast<int>(t));
      if (!tables.teachers[t].abrev.empty()) byCode_.try_emplace(tables.teachers[t].abrev, t);
    }
    everybody_.resize(tables.teachers.size());
    std::iota(everybody_.begin(), everybody_.end(), 0);
  }

  int Choose(const Activity& subject, const Group& group, int sessions) {
    int chosen = -1;
    if (HasWord(subject.nombre, "tutor")) {
      if (const auto tutor = byCode_.find(group.tutor); tutor != byCode_.end()) {
        chosen = static_cast<int>(tutor->second);
      }
    }
    if (chosen < 0) {
      const auto department = BestMatch(subject.nombre, departments_);
      const std::vector<int>& pool = department ? members_[*department] : everybody_;
      if (pool.empty()) return -1;
      chosen = *std::min_element(pool.begin(), pool.end(),
                                 [&](int a, int b) { return busy_[a] < busy_[b]; });
    }
    busy_[chosen] += sessions;
    return chosen;
  }

 private:
  std::vector<int> busy_;  // sessions given so far
  std::vector<std::string> departments_;
  std::vector<std::vector<int>> members_;
  std::vector<int> everybody_;
  std::map<std::string, std::size_t> byCode_;
};

// Rooms for the placed lessons: the subject's own room (laboratory, gym, music room)
// when it is free, else the group's home room, else any free room that no subject calls
// its own; a lesson with none of these free goes without a room.
void GiveRooms(const WorkingTables& tables, Occupancy& occupancy, std::vector<Placement>& lessons,
               const std::vector<int>& activityOf) {
  const std::vector<int> preferred = PreferredRooms(tables);
  std::vector<bool> special(tables.rooms.size(), false);
  for (int r : preferred) {
    if (r >= 0) special[r] = true;
  }
  std::vector<int> general;
  for (std::size_t r = 0; r < tables.rooms.size(); ++r) {
    if (!special[r]) general.push_back(static_cast<int>(r));
  }
  std::vector<int> order(lessons.size());
  std::iota(order.begin(), order.end(), 0);
  // Within a slot, lessons that want a room of their own choose first.
  const auto key = [&](int i) {
    return std::tuple(lessons[i].slot, preferred[activityOf[i]] < 0, i);
  };
  std::sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
  for (int i : order) {
    Placement& p = lessons[i];
    if (p.slot < 0) continue;
    std::vector<int> candidates;
    if (preferred[activityOf[i]] >= 0) candidates.push_back(preferred[activityOf[i]]);
    if (p.group >= 0 && static_cast<std::size_t>(p.group) < general.size()) {
      candidates.push_back(general[p.group]);
    }
    candidates.insert(candidates.end(), general.begin(), general.end());
    for (int r : candidates) {
      if (occupancy.RoomFree(r, p.slot)) {
        p.room = r;
        occupancy.Mark(p, i);
        break;
      }
    }
  }
}

}  // namespace

Timetable PlaceLessons(const WorkingTables& tables, Occupancy& occupancy) {
  std::map<std::string, int> subjectBySchoolCode;
  for (std::size_t a = 0; a < tables.activities.size(); ++a) {
    if (!tables.activities[a].task) {
      subjectBySchoolCode.try_emplace(tables.activities[a].schoolCode, static_cast<int>(a));
    }
  }
  // A load names its group by the school file's code, which GRUPOST may hold shortened;
  // shift, teaching, year and letter find it then.
  std::map<std::string, int> groupByCode;
  std::map<std::tuple<std::string, std::string, std::string, std::string>, int> groupByIdentity;
  for (std::size_t g = 0; g < tables.groups.size(); ++g) {
    const Group& group = tables.groups[g];
    groupByCode.try_emplace(group.abrev, static_cast<int>(g));
    groupByIdentity.try_emplace({group.turno, group.nivel, group.curso, group.letra},
                                static_cast<int>(g));
  }

  Timetable timetable;
  TeacherChooser teachers(tables);
  std::vector<int> loadOf;
  std::vector<int> activityOf;
  std::vector<std::vector<int>> sessionsOfLoad(tables.loads.size());
  for (std::size_t l = 0; l < tables.loads.size(); ++l) {
    const Load& load = tables.loads[l];
    const auto subject = subjectBySchoolCode.find(load.casig);
    int group = -1;
    if (const auto byCode = groupByCode.find(load.cgrup); byCode != groupByCode.end()) {
      group = byCode->second;
    } else if (const auto byIdentity =
                   groupByIdentity.find({load.turno, load.nivel, load.curso, load.grupo});
               byIdentity != groupByIdentity.end()) {
      group = byIdentity->second;
    }
    const int sessions = static_cast<int>(std::ceil(load.horas));
    if (subject == subjectBySchoolCode.end() || group < 0 || sessions <= 0) {
      ++timetable.skippedLoads;
      continue;
    }
    ++timetable.placedLoads;
    const Activity& activity = tables.activities[subject->second];
    const int teacher = teachers.Choose(activity, tables.groups[group], sessions);
    for (int s = 0; s < sessions; ++s) {
      sessionsOfLoad[l].push_back(static_cast<int>(timetable.lessons.size()));
      timetable.lessons.push_back({activity.cod, load.ctarea, -1, group, teacher, -1});
      loadOf.push_back(static_cast<int>(l));
      activityOf.push_back(subject->second);
    }
  }

  // Loads with many sessions first: they have the fewest ways to spread over the week.
  std::vector<int> order(tables.loads.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return sessionsOfLoad[a].size() > sessionsOfLoad[b].size();
  });
  Placer placer(tables, occupancy, timetable.lessons, loadOf);
  for (int l : order) {
    for (int i : sessionsOfLoad[l]) {
      if (!placer.Place(i)) ++timetable.unplacedSessions;
    }
  }
  GiveRooms(tables, occupancy, timetable.lessons, activityOf);
  return timetable;
}

}  // namespace tto::standin
