#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tto::app {

// The help file is Velmora's; it lies in the folder of the executable.
inline constexpr const char* kHelpFileName = "SUNEL.chm";
// The topic that F1 asks for anywhere in the main window.
inline constexpr int kHelpContext = 3;

// Opens the help file in a CHM viewer: xchm when installed (at the topic of the context
// id when one is given, else at its contents), otherwise the desktop's default opener.
// The viewer runs on its own; we never wait for it. Answers nothing when a viewer was
// started, else the message to show (program text): help file missing, no viewer, or
// the viewer could not be started.
std::optional<std::string> OpenHelp(const std::filesystem::path& helpFile,
                                    std::optional<int> context);

}  // namespace tto::app
