#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/Shell.h"

namespace tto::testing {

// A shell that answers the file dialog from a script and records what the run showed.
class ScriptedShell : public Shell {
 public:
  // Answers for the next dialogs, in order: a path, or nothing for a cancelled dialog.
  // When the script runs out, the dialog is cancelled.
  std::deque<std::optional<std::string>> dialogAnswers;

  // What happened, in order: "dialog", "message:<text>", "wait:on", "wait:off", "close".
  std::vector<std::string> events;
  std::vector<std::string> messages;  // program text, as shown
  int dialogsShown = 0;
  int closes = 0;
  bool waiting = false;

  std::optional<std::string> PickSchoolFile() override;
  void ShowMessage(std::string_view ansiText) override;
  void SetWaitCursor(bool on) override;
  void CloseMainWindow() override;
};

}  // namespace tto::testing
