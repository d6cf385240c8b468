// velmora-standin: plays Velmora's part between an intake and a return on a machine
// without Velmora. It reads the working tables in the exchange folder, builds a plausible
// timetable and writes it to SOLUC, as Velmora would after its own timetabling.
//
//   velmora-standin [--exchange DIR]
//
// Exit status: 0 when SOLUC is written, 1 on an error (missing working tables, a table
// held by another program), 64 for arguments it does not understand.

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "core/ExchangeFolder.h"
#include "examples/Placement.h"
#include "examples/Solution.h"
#include "examples/Tasks.h"
#include "examples/WorkingTables.h"
#include "store/AnsiText.h"
#include "store/RunError.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 64;

constexpr const char* kUsage =
    "Usage: velmora-standin [--exchange DIR]\n"
    "Reads the working tables an intake left in the exchange folder (DIR, or Wine's\n"
    "C:\\ZTEMP when not given) and writes Velmora's solution table SOLUC.DBF there.\n";

std::string Summary(const std::filesystem::path& folder, const tto::standin::WorkingTables& tables,
                    const tto::standin::Timetable& timetable) {
  int withoutRoom = 0;
  for (const auto& lesson : timetable.lessons) {
    if (lesson.slot >= 0 && lesson.room < 0) ++withoutRoom;
  }
  const std::size_t placed = timetable.lessons.size() - timetable.unplacedSessions;
  std::string text = "velmora-standin: wrote " + std::to_string(placed) + " lessons (" +
                     std::to_string(timetable.placedLoads) + " teaching loads of " +
                     std::to_string(tables.groups.size()) + " groups, " +
                     std::to_string(withoutRoom) + " without a free room) and " +
                     std::to_string(timetable.tasks.size()) + " tasks for " +
                     std::to_string(tables.teachers.size()) + " teachers in " +
                     std::to_string(tables.slots.size()) + " weekly slots to " +
                     tto::AnsiToUtf8(tto::PathToAnsi(folder / "SOLUC.DBF")) + ".";
  if (timetable.unplacedSessions > 0) {
    text += " " + std::to_string(timetable.unplacedSessions) +
            " sessions found no slot and are written unplaced (day 0).";
  }
  if (timetable.skippedLoads > 0) {
    text += " " + std::to_string(timetable.skippedLoads) +
            " teaching loads name a subject or group the working tables lack and were left out.";
  }
  return text + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::optional<std::filesystem::path> exchange;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--help" || arguments[i] == "-h") {
      std::cout << kUsage;
      return kExitDone;
    }
    if (arguments[i] == "--exchange" && i + 1 < arguments.size() && !exchange) {
      exchange = arguments[++i];
      continue;
    }
    std::cerr << "velmora-standin: unexpected argument '" << arguments[i] << "'\n" << kUsage;
    return kExitUsage;
  }
  try {
    const tto::ExchangeFolder folder =
        exchange ? tto::ExchangeFolder(*exchange) : tto::ExchangeFolder();
    const std::filesystem::path path = folder.Resolve();
    const tto::standin::WorkingTables tables = tto::standin::ReadWorkingTables(path);
    tto::standin::Occupancy occupancy(tables);
    tto::standin::Timetable timetable = tto::standin::PlaceLessons(tables, occupancy);
    tto::standin::PlaceTasks(tables, occupancy, timetable);
    tto::standin::WriteSolution(path, tables, timetable);
    std::cout << Summary(path, tables, timetable);
    return kExitDone;
  } catch (const tto::RunError& error) {
    std::cerr << "velmora-standin: " << tto::AnsiToUtf8(error.what()) << '\n';
    return kExitError;
  } catch (const std::exception& error) {
    std::cerr << "velmora-standin: " << error.what() << '\n';
    return kExitError;
  }
}
