#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QPointer>
#include <QString>
#include <QWindow>

#include "core/Shell.h"

class QWidget;
class QDialog;

namespace tto::app {

// The shell of the main window: the file dialog OpenDialogXML, the system's message
// box, the wait cursor and closing the window.
class QtShell : public Shell {
 public:
  explicit QtShell(QWidget& mainWindow);
  ~QtShell() override;
  QtShell(const QtShell&) = delete;
  QtShell& operator=(const QtShell&) = delete;

  // When the main window lives inside a foreign host window, dialogs belong to the host:
  // the window manager keeps them above it and knows whose they are.
  void SetHostWindow(QWindow* host) { host_ = host; }

  std::optional<std::string> PickSchoolFile() override;
  void ShowMessage(std::string_view ansiText) override;
  void SetWaitCursor(bool waiting) override;
  void CloseMainWindow() override;

  static constexpr const char* kDialogTitle = "Archivo XML";
  static constexpr const char* kDialogFilter = "*.xml";
  static constexpr const char* kDefaultSuffix = "xml";
  static constexpr const char* kButtonText = "Aceptar";

 private:
  QWidget* DialogParent() const;
  void AttachToHost(QDialog& dialog) const;

  QWidget& mainWindow_;
  QPointer<QWindow> host_;
  // Like the dialog component it stands for, the dialog remembers the last file picked.
  QString lastPicked_;
  bool waiting_ = false;
};

}  // namespace tto::app
