#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include <QStringList>
#include <QWidget>

#include "core/RunState.h"
#include "core/Shell.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tto::app {

class GradientPanel;
class HostEmbedding;
class QtShell;

// The main window MForm: the two direction panels with the buttons that start the runs,
// the bottom strip with help and close, and the state the runs share. Stand-alone it is
// an ordinary fixed-size dialog window; started by Velmora with a mode word and a window
// handle it lives inside that window, shows the requested panel, and leaves the result
// flag in Velmora.ini when it closes.
class TMForm : public QWidget {
  Q_OBJECT

 public:
  struct Options {
    // The command-line parameters, without the program's name.
    QStringList parameters;
    // The folder of the executable, where Velmora.ini and SUNEL.chm are.
    std::filesystem::path programFolder;
    // Replaces the window's own dialogs and message boxes (tests); the window's own when null.
    Shell* shell = nullptr;
  };

  static constexpr int kClientWidth = 632;
  static constexpr int kClientHeight = 266;
  static constexpr const char* kCaption = "Exportar e importar datos entre Velmora y Ordalis";
  static constexpr const char* kSettingsFileName = "Velmora.ini";
  static constexpr const char* kSettingsSection = "Transformadores";
  static constexpr const char* kSettingsKey = "Transformado";

  explicit TMForm(Options options);
  ~TMForm() override;
  TMForm(const TMForm&) = delete;
  TMForm& operator=(const TMForm&) = delete;

  RunState& State() { return state_; }
  // The handle read from the command line in hosted mode.
  std::optional<std::uint32_t> HostHandle() const { return hostHandle_; }
  // Whether the window lives inside the host's window.
  bool Embedded() const { return embedding_ != nullptr; }

  // The folder of the running executable.
  static std::filesystem::path ExecutableFolder();

 signals:
  // The window has closed and FormClose has run: the program ends. Inside a foreign host
  // the window is no top-level window for Qt, so closing it alone would not end the program.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void FormCreate(const QStringList& parameters);
  void EnterHostedMode(const QString& modeWord, std::uint32_t handle);
  void FormClose();
  void Button1Click();
  void BExportarClick();
  void BImportarClick();
  void ShowHelp(std::optional<int> context);
  void HostGone();

  std::filesystem::path programFolder_;
  RunState state_;
  std::unique_ptr<QtShell> ownShell_;
  Shell* shell_ = nullptr;
  std::unique_ptr<HostEmbedding> embedding_;
  std::optional<std::uint32_t> hostHandle_;

  // The components, named as on the form (their object names are the same).
  GradientPanel* Draw3D1 = nullptr;
  GradientPanel* Draw3D2 = nullptr;
  GradientPanel* Draw3D3 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* BExportar = nullptr;
  QPushButton* BImportar = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* BClose = nullptr;
  QListWidget* ListBoxPlanti = nullptr;
};

}  // namespace tto::app
