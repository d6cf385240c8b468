#include "core/RunSteps.h"

#include <filesystem>
#include <system_error>

#include "core/Messages.h"

namespace tto {

namespace {

std::string FullPath(std::string picked) {
  if (picked.empty()) return picked;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(picked, ec);
  return ec ? picked : full.string();
}

}  // namespace

void AskForSchoolFile(RunState& state, Shell& shell) {
  if (auto picked = shell.PickSchoolFile()) state.FicheroXML = FullPath(std::move(*picked));
}

bool SchoolFileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void EndWithoutFile(RunState& state, Shell& shell, const char* message) {
  shell.ShowMessage(message);
  if (state.Hosted()) {
    state.ResultadoTransformacion = -1;
    shell.CloseMainWindow();
  }
}

void EndCompleted(RunState& state, Shell& shell) {
  state.ResultadoTransformacion = 1;
  shell.ShowMessage(messages::kProcesoFinalizado);
  if (state.Hosted()) shell.CloseMainWindow();
}

}  // namespace tto
