#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/Shell.h"

namespace tto::cli {

// The shell of the command line: the file dialog is answered with the school file of the
// arguments, messages go to the standard streams in UTF-8 (information to stdout,
// everything else to stderr), and the outcome becomes the exit status.
class CliShell : public Shell {
 public:
  CliShell(std::string schoolFile, std::ostream& out, std::ostream& err);

  std::optional<std::string> PickSchoolFile() override;
  void ShowMessage(std::string_view ansiText) override;
  void SetWaitCursor(bool) override {}
  // There is no window; the run ends when its call returns.
  void CloseMainWindow() override {}

  // 0 completed, 2 a file missing, 1 an error or a run that ended without completing.
  int ExitStatus() const;
  // Whether the run ended without showing any message.
  bool Silent() const { return outcome_ == Outcome::None; }

 private:
  enum class Outcome { None, Completed, MissingFile, Error };

  std::string schoolFile_;
  std::ostream& out_;
  std::ostream& err_;
  Outcome outcome_ = Outcome::None;
};

// Program text as the terminal shows it: UTF-8, a CR LF pair a newline.
std::string ToTerminalText(std::string_view ansiText);

}  // namespace tto::cli
