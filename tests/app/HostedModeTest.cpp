// Start-up parameters and the result flag: which parameters select hosted mode, what a
// bad handle does, and what Velmora.ini holds after the window closes.
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/ExchangeFolder.h"
#include "core/Messages.h"
#include "tests/app/AppTest.h"

namespace tto::apptest {

namespace {

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

QPushButton* Button(app::TMForm& form, const char* name) {
  return form.findChild<QPushButton*>(QString::fromLatin1(name));
}

}  // namespace

class HostedModeTest : public QObject {
  Q_OBJECT

 private slots:
  void parametersSelectTheModeAndTheHandle_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("hosted");
    QTest::addColumn<qint64>("handle");  // -1: none read
    QTest::newRow("none") << QStringList{} << false << qint64(-1);
    QTest::newRow("one") << QStringList{"exportar"} << false << qint64(-1);
    QTest::newRow("three") << QStringList{"exportar", "1a2b", "x"} << false << qint64(-1);
    QTest::newRow("EXPORTAR 1a2b") << QStringList{"EXPORTAR", "1a2b"} << true << qint64(0x1A2B);
    QTest::newRow("Importar FF") << QStringList{"Importar", "FF"} << true << qint64(0xFF);
    QTest::newRow("convertir 1a2b") << QStringList{"convertir", "1a2b"} << true << qint64(0x1A2B);
    QTest::newRow("eight digits") << QStringList{"exportar", "0123ABCD"} << true
                                  << qint64(0x123ABCD);
    QTest::newRow("handle 0") << QStringList{"exportar", "0"} << true << qint64(0);
  }

  void parametersSelectTheModeAndTheHandle() {
    QFETCH(QStringList, parameters);
    QFETCH(bool, hosted);
    QFETCH(qint64, handle);
    FormFixture fixture(parameters);
    app::TMForm& form = *fixture.form;

    QCOMPARE(form.State().NumParametros, hosted ? 2 : 0);
    QCOMPARE(form.State().ResultadoTransformacion, 0);
    QVERIFY(fixture.shell.messages.empty());
    if (handle < 0) {
      QVERIFY(!form.HostHandle());
    } else {
      QCOMPARE(qint64(form.HostHandle().value()), handle);
    }
    // No window on this display has these ids: the window stays top-level, without a
    // border, at the top left of the screen, and hosted mode holds.
    QVERIFY(!form.Embedded());
    QCOMPARE(form.windowFlags().testFlag(Qt::FramelessWindowHint), hosted);
    if (hosted) QCOMPARE(form.pos(), QPoint(0, 0));
  }

  void handleThatIsNoHexNumberShowsTheConversionErrorAndStaysStandAlone_data() {
    QTest::addColumn<QString>("handle");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("xyz") << "xyz" << QByteArray("'$xyz' no es un valor entero v\xE1lido");
    QTest::newRow("$1a") << "$1a" << QByteArray("'$$1a' no es un valor entero v\xE1lido");
    QTest::newRow("0x1a") << "0x1a" << QByteArray("'$0x1a' no es un valor entero v\xE1lido");
    QTest::newRow("empty") << "" << QByteArray("'$' no es un valor entero v\xE1lido");
  }

  void handleThatIsNoHexNumberShowsTheConversionErrorAndStaysStandAlone() {
    QFETCH(QString, handle);
    QFETCH(QByteArray, message);
    FormFixture fixture({"exportar", handle});
    app::TMForm& form = *fixture.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(fixture.shell.messages, std::vector<std::string>{message.toStdString()});
    QCOMPARE(form.State().NumParametros, 0);
    QVERIFY(!form.HostHandle());
    QVERIFY(!form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(form.findChild<QWidget*>("Draw3D2")->isVisible());
    QVERIFY(form.findChild<QWidget*>("Draw3D3")->isVisible());
    form.close();
    QVERIFY(!Exists(fixture.Ini()));
  }

  void hostedWindowClosedWithoutARunWritesZero_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::newRow("exportar") << QStringList{"exportar", "1a2b"};
    QTest::newRow("importar") << QStringList{"IMPORTAR", "1a2b"};
    QTest::newRow("other word") << QStringList{"convertir", "1a2b"};
    QTest::newRow("handle 0") << QStringList{"exportar", "0"};
  }

  void hostedWindowClosedWithoutARunWritesZero() {
    QFETCH(QStringList, parameters);
    FormFixture fixture(parameters);
    app::TMForm& form = *fixture.form;
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(Button(form, "BClose"), Qt::LeftButton);

    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(testing::ReadFileBytes(fixture.Ini()), "[Transformadores]\r\nTransformado=0\r\n");
  }

  void otherSectionsAndKeysOfVelmoraIniStayByteForByte() {
    FormFixture fixture({"exportar", "1a2b"});
    // Unix line ends in one part, a key of the same name in another section, odd spacing
    // and no line end at the very end: all of it stays.
    const std::string before =
        "; Velmora\r\n[General]\r\nIdioma=es\r\nTransformado=7\r\n\r\n"
        "[transformadores]\r\nOtro = 5\r\nTransformado=1\r\nUltimo=x\r\n"
        "[Rutas]\nZ=C:\\ZTEMP\nVacio=";
    const std::string after =
        "; Velmora\r\n[General]\r\nIdioma=es\r\nTransformado=7\r\n\r\n"
        "[transformadores]\r\nOtro = 5\r\nTransformado=-1\r\nUltimo=x\r\n"
        "[Rutas]\nZ=C:\\ZTEMP\nVacio=";
    fixture.folder.Write("Velmora.ini", before);
    app::TMForm& form = *fixture.form;
    form.State().ResultadoTransformacion = -1;
    form.close();
    QCOMPARE(testing::ReadFileBytes(fixture.Ini()), after);
  }

  void standAloneNeverTouchesVelmoraIni() {
    FormFixture fixture(QStringList{});
    const std::string before = "[Transformadores]\r\nTransformado=1\r\n";
    fixture.folder.Write("Velmora.ini", before);
    const auto stamp = std::filesystem::last_write_time(fixture.Ini());
    app::TMForm& form = *fixture.form;
    form.show();
    // Runs that find no file: the flag changes in memory only.
    QTest::mouseClick(Button(form, "BExportar"), Qt::LeftButton);
    QTest::mouseClick(Button(form, "BImportar"), Qt::LeftButton);
    QVERIFY(form.isVisible());
    QCOMPARE(fixture.shell.closes, 0);
    form.close();
    QCOMPARE(testing::ReadFileBytes(fixture.Ini()), before);
    QCOMPARE(std::filesystem::last_write_time(fixture.Ini()), stamp);

    FormFixture fresh(QStringList{});
    fresh.form->close();
    QVERIFY(!Exists(fresh.Ini()));
  }

  void hostedRunThatFindsNoFileClosesTheWindowAndWritesMinusOne_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("lastMessage");
    QTest::newRow("intake") << QStringList{"exportar", "1a2b"} << "BExportar"
                            << QByteArray(messages::kNoExisteArchivo);
    QTest::newRow("return") << QStringList{"importar", "1a2b"} << "BImportar"
                            << QByteArray(messages::kNoExisteArchivoXmlOSolucion);
  }

  void hostedRunThatFindsNoFileClosesTheWindowAndWritesMinusOne() {
    QFETCH(QStringList, parameters);
    QFETCH(QString, button);
    QFETCH(QByteArray, lastMessage);
    FormFixture fixture(parameters);
    app::TMForm& form = *fixture.form;
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    fixture.shell.dialogAnswers.push_back((fixture.folder / "nada.xml").string());

    QTest::mouseClick(Button(form, qPrintable(button)), Qt::LeftButton);

    QVERIFY(!fixture.shell.messages.empty());
    QCOMPARE(fixture.shell.messages.back(), lastMessage.toStdString());
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(testing::ReadFileBytes(fixture.Ini()), "[Transformadores]\r\nTransformado=-1\r\n");
  }

  void completedIntakeClosesAHostedWindowWithOneAndLeavesAStandAloneOneOpen_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("hosted");
    QTest::newRow("hosted") << QStringList{"exportar", "1a2b"} << true;
    QTest::newRow("stand-alone") << QStringList{} << false;
  }

  void completedIntakeClosesAHostedWindowWithOneAndLeavesAStandAloneOneOpen() {
    QFETCH(QStringList, parameters);
    QFETCH(bool, hosted);
    FormFixture fixture(parameters);
    testing::ScratchFolder exchange;
    app::TMForm& form = *fixture.form;
    form.State().exchange = ExchangeFolder(exchange.path());
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    fixture.shell.dialogAnswers.push_back(std::string(TTO_FIXTURES_DIR) + "/school/realistic.xml");

    QTest::mouseClick(Button(form, "BExportar"), Qt::LeftButton);

    QCOMPARE(fixture.shell.messages, std::vector<std::string>{messages::kProcesoFinalizado});
    QVERIFY(!fixture.shell.waiting);
    QVERIFY(Exists(exchange / "ASIGT.DBF"));
    QCOMPARE(form.State().ResultadoTransformacion, 1);
    QCOMPARE(closed.count(), hosted ? 1 : 0);
    QCOMPARE(form.isVisible(), !hosted);
    if (hosted) {
      QCOMPARE(testing::ReadFileBytes(fixture.Ini()), "[Transformadores]\r\nTransformado=1\r\n");
    } else {
      form.close();
      QVERIFY(!Exists(fixture.Ini()));
    }
  }

  void settingsFileThatCannotBeWrittenIsReportedAndTheWindowStillCloses() {
    testing::ScratchFolder scratch;
    const std::filesystem::path missingFolder = scratch / "no-such-folder";
    FormFixture fixture({"exportar", "1a2b"}, missingFolder);
    app::TMForm& form = *fixture.form;
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    form.close();

    const std::string expected = "Unable to write to " + (missingFolder / "Velmora.ini").string();
    QCOMPARE(fixture.shell.messages, std::vector<std::string>{expected});
    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
  }

  void altSClosesTheWindow() {
    FormFixture fixture({"exportar", "0"});
    app::TMForm& form = *fixture.form;
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);

    // A mnemonic presses the button visibly first, then clicks it.
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(testing::ReadFileBytes(fixture.Ini()), "[Transformadores]\r\nTransformado=0\r\n");
  }
};

TTO_REGISTER_APP_TEST(HostedModeTest);

}  // namespace tto::apptest

#include "HostedModeTest.moc"
