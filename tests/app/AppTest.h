#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedShell.h"

namespace tto::apptest {

// Every QTest class of this folder registers itself; one executable runs them all.
struct RegisteredTest {
  const char* name;
  std::function<std::unique_ptr<QObject>()> make;
};
std::vector<RegisteredTest>& Registry();

struct Registrar {
  Registrar(const char* name, std::function<std::unique_ptr<QObject>()> make) {
    Registry().push_back({name, std::move(make)});
  }
};

#define TTO_REGISTER_APP_TEST(Class)                       \
  static const ::tto::apptest::Registrar registrar##Class( \
      #Class, [] { return std::make_unique<Class>(); })

// A scripted shell whose close request closes the form, as the window's own shell does.
class FormShell : public testing::ScriptedShell {
 public:
  QPointer<QWidget> form;
  void CloseMainWindow() override {
    ScriptedShell::CloseMainWindow();
    if (form) form->close();
  }
};

// A form started with the given parameters, its settings and help folder in a scratch
// folder, and a scripted shell.
struct FormFixture {
  testing::ScratchFolder folder;
  FormShell shell;
  std::unique_ptr<app::TMForm> form;

  explicit FormFixture(const QStringList& parameters) : FormFixture(parameters, {}) {}
  FormFixture(const QStringList& parameters, const std::filesystem::path& programFolder) {
    const std::filesystem::path where = programFolder.empty() ? folder.path() : programFolder;
    form = std::make_unique<app::TMForm>(app::TMForm::Options{parameters, where, &shell});
    shell.form = form.get();
  }
  std::filesystem::path Ini() const { return folder / "Velmora.ini"; }
};

// Runs handler on the modal widget of type T as soon as it shows (modal dialogs block
// the test in their own event loop). When none shows within the time, whatever modal
// widget is up is closed so the test cannot hang, and the answer stays false.
template <typename T>
std::shared_ptr<bool> WhenModal(std::function<void(T*)> handler, int timeoutMs = 10000) {
  auto handled = std::make_shared<bool>(false);
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, qApp, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* wanted = qobject_cast<T*>(modal); wanted != nullptr && wanted->isVisible()) {
      timer->stop();
      timer->deleteLater();
      *handled = true;
      handler(wanted);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      if (modal != nullptr) modal->close();
    }
  });
  timer->start(10);
  return handled;
}

}  // namespace tto::apptest
