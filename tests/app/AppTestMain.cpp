#include <QApplication>
#include <QTest>

#include "tests/app/AppTest.h"

namespace tto::apptest {

std::vector<RegisteredTest>& Registry() {
  static std::vector<RegisteredTest> tests;
  return tests;
}

}  // namespace tto::apptest

int main(int argc, char** argv) {
  // As the program itself starts.
  QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QApplication app(argc, argv);
  int failures = 0;
  for (const auto& test : tto::apptest::Registry()) {
    std::unique_ptr<QObject> object = test.make();
    failures += QTest::qExec(object.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
