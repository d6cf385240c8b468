#pragma once

#include <string_view>

#include <QString>

namespace tto::app {

// Program text (Windows-1252) as Qt shows it: a CR LF pair, the system's line break,
// becomes a newline.
QString FromProgramText(std::string_view ansi);

}  // namespace tto::app
