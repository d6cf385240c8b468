#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QStringList>
#include <QTimer>

#include "app/MainForm.h"
#include "core/Messages.h"

namespace {

// Hidden option for the documentation: `--screenshot FILE` shows the window, saves a
// picture of it and ends.
QString TakeScreenshotOption(QStringList& parameters) {
  if (parameters.size() >= 2 && parameters[0] == QStringLiteral("--screenshot")) {
    const QString file = parameters[1];
    parameters.remove(0, 2);
    return file;
  }
  return {};
}

// The program's icon, rendered into the executable's resources at build time; a build
// without the renderer has none and the desktop shows its default.
QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {48, 256}) {
    const QString file = QStringLiteral(":/icons/transtarvosordalis-%1.png").arg(size);
    if (QFile::exists(file)) icon.addFile(file);
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  // Only the widgets that must be native get an X window of their own; the rest are drawn
  // into them. Embedding into a foreign window relies on it.
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromLatin1(tto::messages::kApplicationTitle));
  // The application name is also the window's X class, which the desktop entry names as
  // StartupWMClass; the desktop file name ties the window to that entry on Wayland.
  QGuiApplication::setDesktopFileName(QStringLiteral("transtarvosordalis"));
  QApplication::setWindowIcon(ProgramIcon());

  QStringList parameters = QCoreApplication::arguments().mid(1);
  const QString screenshot = TakeScreenshotOption(parameters);

  tto::app::TMForm form({parameters, tto::app::TMForm::ExecutableFolder(), nullptr});
  QObject::connect(
      &form, &tto::app::TMForm::Closed, &app, [] { QCoreApplication::exit(0); },
      Qt::QueuedConnection);
  form.show();

  if (!screenshot.isEmpty()) {
    QTimer::singleShot(500, &form, [&form, screenshot] {
      const bool saved = form.grab().save(screenshot);
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
