#pragma once

// Tasks for the teachers in the slots their lessons leave free, by the kind each
// activity type's name tells: guards in every slot, a meeting of each department at one
// common hour, an hour with the parents for every tutor, one hour of anything else for
// every teacher.

#include "examples/Placement.h"
#include "examples/WorkingTables.h"

namespace tto::standin {

// Appends the tasks to timetable.tasks; occupancy must hold the lessons.
void PlaceTasks(const WorkingTables& tables, Occupancy& occupancy, Timetable& timetable);

}  // namespace tto::standin
