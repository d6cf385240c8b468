#include "cli/CliShell.h"

#include "cli/CommandLine.h"
#include "core/Messages.h"
#include "store/AnsiText.h"

namespace tto::cli {

std::string ToTerminalText(std::string_view ansiText) {
  const std::string utf8 = AnsiToUtf8(ansiText);
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    text += utf8[i];
  }
  return text;
}

CliShell::CliShell(std::string schoolFile, std::ostream& out, std::ostream& err)
    : schoolFile_(std::move(schoolFile)), out_(out), err_(err) {}

std::optional<std::string> CliShell::PickSchoolFile() {
  return schoolFile_;
}

void CliShell::ShowMessage(std::string_view ansiText) {
  const bool information =
      ansiText == messages::kProcesoFinalizado || ansiText == messages::kAbrirFicheroOrdalis;
  (information ? out_ : err_) << ToTerminalText(ansiText) << '\n' << std::flush;

  if (ansiText == messages::kProcesoFinalizado) {
    outcome_ = Outcome::Completed;
  } else if (ansiText == messages::kNoExisteArchivo ||
             ansiText == messages::kNoExisteArchivoXmlOSolucion) {
    outcome_ = Outcome::MissingFile;
  } else if (!information) {
    outcome_ = Outcome::Error;
  }
}

int CliShell::ExitStatus() const {
  switch (outcome_) {
    case Outcome::Completed:
      return kExitCompleted;
    case Outcome::MissingFile:
      return kExitMissingFile;
    case Outcome::Error:
    case Outcome::None:
      break;
  }
  return kExitRunError;
}

}  // namespace tto::cli
