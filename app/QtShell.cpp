#include "app/QtShell.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "app/ProgramText.h"
#include "core/Messages.h"

namespace tto::app {

QtShell::QtShell(QWidget& mainWindow) : mainWindow_(mainWindow) {}

QtShell::~QtShell() {
  if (waiting_) QApplication::restoreOverrideCursor();
}

QWidget* QtShell::DialogParent() const {
  return host_ ? nullptr : &mainWindow_;
}

void QtShell::AttachToHost(QDialog& dialog) const {
  if (!host_) return;
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.winId();
  if (QWindow* window = dialog.windowHandle()) window->setTransientParent(host_);
}

std::optional<std::string> QtShell::PickSchoolFile() {
  QFileDialog dialog(DialogParent(), QString::fromLatin1(kDialogTitle));
  dialog.setObjectName(QStringLiteral("OpenDialogXML"));
  // Qt's own dialog everywhere: it can be tied to a foreign host window and looks the same
  // on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A name that does not exist is accepted, as before; the run itself says "No existe
  // archivo" for it.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromLatin1(kDialogFilter));
  dialog.setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
  if (!lastPicked_.isEmpty()) dialog.selectFile(lastPicked_);
  AttachToHost(dialog);

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  lastPicked_ = files.front();
  return lastPicked_.toLocal8Bit().toStdString();
}

void QtShell::ShowMessage(std::string_view ansiText) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(messages::kApplicationTitle),
                  FromProgramText(ansiText), QMessageBox::NoButton, DialogParent());
  box.setTextFormat(Qt::PlainText);
  QPushButton* accept = box.addButton(QString::fromLatin1(kButtonText), QMessageBox::AcceptRole);
  box.setDefaultButton(accept);
  box.setEscapeButton(accept);
  AttachToHost(box);
  box.exec();
}

void QtShell::SetWaitCursor(bool waiting) {
  if (waiting == waiting_) return;
  waiting_ = waiting;
  if (waiting) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtShell::CloseMainWindow() {
  mainWindow_.close();
}

}  // namespace tto::app
