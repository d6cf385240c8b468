#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tto {

// The exchange folder C:\ZTEMP that Velmora shares with us. Velmora runs under Wine, so
// drive C: is $WINEPREFIX/dosdevices/c: (default prefix ~/.wine) and ZTEMP is found there
// whatever its case. The command line may name another folder instead.
class ExchangeFolder {
 public:
  ExchangeFolder() = default;
  explicit ExchangeFolder(std::filesystem::path overrideFolder);

  // The Linux folder; a missing folder is a RunError naming the Windows and Linux paths.
  std::filesystem::path Resolve() const;
  // Whether FILE exists in the folder (whatever the case of either); false when the
  // folder itself is missing.
  bool HasFile(std::string_view fileName) const;

  static constexpr const char* kWindowsPath = "C:\\ZTEMP";

 private:
  std::optional<std::filesystem::path> override_;
};

}  // namespace tto
