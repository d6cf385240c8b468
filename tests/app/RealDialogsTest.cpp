// The window's own shell: the real message box, file dialog and wait cursor.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/QtShell.h"
#include "core/Messages.h"
#include "tests/app/AppTest.h"

namespace tto::apptest {

namespace {

struct SeenMessage {
  QString caption;
  QString text;
  QStringList buttons;
  Qt::TextFormat format = Qt::AutoText;
};

// Reads the message box that shows next and dismisses it with its one button.
std::shared_ptr<bool> AnswerMessage(SeenMessage& seen) {
  return WhenModal<QMessageBox>([&seen](QMessageBox* box) {
    seen.caption = box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
    if (!box->buttons().isEmpty()) box->buttons().front()->click();
  });
}

// Cancels the file dialog that shows next, noting the name it offered.
std::shared_ptr<bool> CancelDialog(QString& offered) {
  return WhenModal<QFileDialog>([&offered](QFileDialog* dialog) {
    offered = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    dialog->reject();
  });
}

}  // namespace

class RealDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxHasTheCaptionOneAceptarButtonAndLineBreaks() {
    QWidget window;
    app::QtShell shell(window);
    SeenMessage seen;
    auto answered = AnswerMessage(seen);

    shell.ShowMessage(messages::kAbrirFicheroOrdalis);

    QVERIFY(*answered);
    QCOMPARE(seen.caption, QStringLiteral("TransTarvosOrdalis"));
    QCOMPARE(seen.buttons, QStringList{"Aceptar"});
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.text, QString::fromUtf8("Deberá Abrir el fichero XML de ORDALIS,\n"
                                          "desde el cual realizó la Importación a Velmora"));
  }

  void fileDialogAddsTheDefaultSuffixRemembersTheFileAndMayBeCancelled() {
    testing::ScratchFolder folder;
    QWidget window;
    app::QtShell shell(window);

    QString title;
    QStringList filters;
    QString suffix;
    auto inspected = WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      title = dialog->windowTitle();
      filters = dialog->nameFilters();
      suffix = dialog->defaultSuffix();
      auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      field->setText(QString::fromStdString((folder / "centro").string()));
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, reading the field
    });
    const std::optional<std::string> picked = shell.PickSchoolFile();
    QVERIFY(*inspected);
    QCOMPARE(title, QStringLiteral("Archivo XML"));
    QCOMPARE(filters, QStringList{"*.xml"});
    QCOMPARE(suffix, QStringLiteral("xml"));
    QCOMPARE(picked, std::optional<std::string>((folder / "centro.xml").string()));

    // The next dialog starts at the file picked before; cancelling it picks nothing.
    QString prefilled;
    auto cancelled = CancelDialog(prefilled);
    QCOMPARE(shell.PickSchoolFile(), std::nullopt);
    QVERIFY(*cancelled);
    QCOMPARE(prefilled, QStringLiteral("centro.xml"));
  }

  void waitCursorIsShownAndRestored() {
    QWidget window;
    {
      app::QtShell shell(window);
      shell.SetWaitCursor(true);
      QVERIFY(QApplication::overrideCursor() != nullptr);
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
      shell.SetWaitCursor(false);
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      // An error path that leaves the cursor on still gives it back with the shell.
      shell.SetWaitCursor(true);
    }
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  void badHandleMessageGoesThroughTheRealMessageBox() {
    testing::ScratchFolder folder;
    SeenMessage seen;
    auto answered = AnswerMessage(seen);

    app::TMForm form({{"exportar", "xyz"}, folder.path(), nullptr});

    QVERIFY(*answered);
    QCOMPARE(seen.text, QString::fromUtf8("'$xyz' no es un valor entero válido"));
    QCOMPARE(seen.caption, QStringLiteral("TransTarvosOrdalis"));
    QCOMPARE(form.State().NumParametros, 0);
  }

  void hostedIntakeThroughTheRealDialogsClosesWithMinusOneForAMissingFile() {
    testing::ScratchFolder folder;
    app::TMForm form({{"exportar", "1a2b"}, folder.path(), nullptr});
    QSignalSpy closed(&form, &app::TMForm::Closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    SeenMessage seen;
    std::shared_ptr<bool> answered;
    auto picked = WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QString::fromStdString((folder / "nada.xml").string()));
      answered = AnswerMessage(seen);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, reading the field
    });
    QTest::mouseClick(form.findChild<QPushButton*>("BExportar"), Qt::LeftButton);

    QVERIFY(*picked);
    QVERIFY(answered && *answered);
    QCOMPARE(seen.text, QStringLiteral("No existe archivo"));
    QCOMPARE(closed.count(), 1);
    QCOMPARE(form.State().FicheroXML, (folder / "nada.xml").string());
    QCOMPARE(testing::ReadFileBytes(folder / "Velmora.ini"),
             "[Transformadores]\r\nTransformado=-1\r\n");
  }
};

TTO_REGISTER_APP_TEST(RealDialogsTest);

}  // namespace tto::apptest

#include "RealDialogsTest.moc"
