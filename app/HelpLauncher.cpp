#include "app/HelpLauncher.h"

#include <system_error>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "store/AnsiText.h"

namespace tto::app {

namespace {

QString NativePath(const std::filesystem::path& path) {
  return QString::fromLocal8Bit(path.c_str());
}

}  // namespace

std::optional<std::string> OpenHelp(const std::filesystem::path& helpFile,
                                    std::optional<int> context) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(helpFile, ec)) {
    return "No existe el archivo de ayuda " + PathToAnsi(helpFile);
  }

  QString program = QStandardPaths::findExecutable(QStringLiteral("xchm"));
  QStringList arguments;
  if (!program.isEmpty()) {
    if (context) arguments << QStringLiteral("--contextid=%1").arg(*context);
  } else {
    // The desktop's opener knows no topics: it shows the file from its start.
    program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  }
  if (program.isEmpty()) {
    return "No hay ning\xFAn visor de ayuda instalado (xchm o xdg-open) para abrir " +
           PathToAnsi(helpFile);
  }
  arguments << NativePath(helpFile);

  if (!QProcess::startDetached(program, arguments)) {
    return "No se pudo iniciar " + PathToAnsi(program.toLocal8Bit().toStdString()) +
           " para abrir la ayuda " + PathToAnsi(helpFile);
  }
  return std::nullopt;
}

}  // namespace tto::app
