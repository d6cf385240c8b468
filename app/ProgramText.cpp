#include "app/ProgramText.h"

#include <string>

#include "store/AnsiText.h"

namespace tto::app {

QString FromProgramText(std::string_view ansi) {
  const std::string utf8 = AnsiToUtf8(ansi);
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace tto::app
