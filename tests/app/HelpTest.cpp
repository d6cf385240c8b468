// Help: Button1 opens the help file's contents, F1 its topic 3, in xchm when installed,
// else in the desktop's opener; a missing file or viewer is told, never a crash.
#include <sys/stat.h>
#include <QPushButton>
#include <QTest>

#include "tests/app/AppTest.h"

namespace tto::apptest {

namespace {

// A viewer that only writes down its arguments, one per line.
void WriteFakeViewer(const testing::ScratchFolder& bin, const std::string& name) {
  const std::filesystem::path record = bin / (name + ".args");
  const std::filesystem::path script = bin.Write(
      name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.string() + ".part'\n/bin/mv '" +
                record.string() + ".part' '" + record.string() + "'\n");
  ::chmod(script.c_str(), 0755);
}

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT

  QByteArray savedPath_;

 private slots:
  void init() { savedPath_ = qgetenv("PATH"); }
  void cleanup() { qputenv("PATH", savedPath_); }

  void helpOpensTheFileInTheViewer_data() {
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<bool>("pressF1");
    QTest::addColumn<QString>("contextArgument");  // before the file, or empty
    QTest::newRow("xchm contents") << "xchm" << false << QString();
    QTest::newRow("xchm F1 topic 3") << "xchm" << true << "--contextid=3";
    QTest::newRow("xdg-open contents") << "xdg-open" << false << QString();
    QTest::newRow("xdg-open F1 knows no topics") << "xdg-open" << true << QString();
  }

  void helpOpensTheFileInTheViewer() {
    QFETCH(QString, viewer);
    QFETCH(bool, pressF1);
    QFETCH(QString, contextArgument);
    testing::ScratchFolder bin;
    WriteFakeViewer(bin, viewer.toStdString());
    qputenv("PATH", QByteArray::fromStdString(bin.path().string()));
    FormFixture fixture({});
    const std::filesystem::path helpFile = fixture.folder.Write("SUNEL.chm", "ITSF");
    app::TMForm& form = *fixture.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    if (pressF1) {
      form.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&form));
      QTest::keyClick(&form, Qt::Key_F1);
    } else {
      QTest::mouseClick(form.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    }

    const std::filesystem::path record = bin / (viewer.toStdString() + ".args");
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(record), 10000);
    std::string expected = contextArgument.isEmpty() ? "" : contextArgument.toStdString() + "\n";
    expected += helpFile.string() + "\n";
    QCOMPARE(testing::ReadFileBytes(record), expected);
    QVERIFY(fixture.shell.messages.empty());
  }

  void missingHelpFileOrViewerIsTold() {
    testing::ScratchFolder bin;
    WriteFakeViewer(bin, "xchm");
    qputenv("PATH", QByteArray::fromStdString(bin.path().string()));
    FormFixture noFile({});
    QTest::mouseClick(noFile.form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    QCOMPARE(noFile.shell.messages,
             std::vector<std::string>{"No existe el archivo de ayuda " +
                                      (noFile.folder / "SUNEL.chm").string()});
    QVERIFY(!std::filesystem::exists(bin / "xchm.args"));

    testing::ScratchFolder empty;
    qputenv("PATH", QByteArray::fromStdString(empty.path().string()));
    FormFixture noViewer({});
    noViewer.folder.Write("SUNEL.chm", "ITSF");
    QTest::mouseClick(noViewer.form->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    QCOMPARE(noViewer.shell.messages,
             std::vector<std::string>{
                 "No hay ning\xFAn visor de ayuda instalado (xchm o xdg-open) para abrir " +
                 (noViewer.folder / "SUNEL.chm").string()});
  }
};

TTO_REGISTER_APP_TEST(HelpTest);

}  // namespace tto::apptest

#include "HelpTest.moc"
