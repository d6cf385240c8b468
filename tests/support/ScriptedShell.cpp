#include "tests/support/ScriptedShell.h"

namespace tto::testing {

std::optional<std::string> ScriptedShell::PickSchoolFile() {
  ++dialogsShown;
  events.emplace_back("dialog");
  if (dialogAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(dialogAnswers.front());
  dialogAnswers.pop_front();
  return answer;
}

void ScriptedShell::ShowMessage(std::string_view ansiText) {
  messages.emplace_back(ansiText);
  events.emplace_back("message:" + std::string(ansiText));
}

void ScriptedShell::SetWaitCursor(bool on) {
  waiting = on;
  events.emplace_back(on ? "wait:on" : "wait:off");
}

void ScriptedShell::CloseMainWindow() {
  ++closes;
  events.emplace_back("close");
}

}  // namespace tto::testing
