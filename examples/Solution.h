#pragma once

// SOLUC, the solution table Velmora leaves in the exchange folder: one row per session of
// a lesson or a task, in the layout Velmora writes.

#include <filesystem>

#include "examples/Placement.h"
#include "examples/WorkingTables.h"

namespace tto::standin {

// Rebuilds SOLUC in folder from the timetable: lessons first, by slot and group; then
// tasks, by slot and teacher. An unplaced session gets day 0 and slot 0.
void WriteSolution(const std::filesystem::path& folder, const WorkingTables& tables,
                   const Timetable& timetable);

}  // namespace tto::standin
