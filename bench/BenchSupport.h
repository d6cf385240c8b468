#pragma once

// What the benchmarks share: a scratch folder and a shell that answers without a user.
// Each benchmark is its own executable, so this stays header-only.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/Shell.h"

namespace tto::bench {

// A new folder under the system's temporary folder, removed with everything in it when
// the object goes away.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tto-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A shell that always picks the same school file and remembers the last message.
class QuietShell : public Shell {
 public:
  explicit QuietShell(std::string schoolFile) : schoolFile_(std::move(schoolFile)) {}
  std::optional<std::string> PickSchoolFile() override { return schoolFile_; }
  void ShowMessage(std::string_view text) override { last = text; }
  void SetWaitCursor(bool) override {}
  void CloseMainWindow() override {}
  std::string last;

 private:
  std::string schoolFile_;
};

}  // namespace tto::bench
