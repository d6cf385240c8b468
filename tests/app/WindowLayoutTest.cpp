// The main window as it is laid out: every component at its place, with its text, font,
// colours and visibility, stand-alone and for each mode word of hosted mode.
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/GradientPanel.h"
#include "tests/app/AppTest.h"

namespace tto::apptest {

namespace {

using app::GradientPanel;

struct Component {
  const char* name;
  const char* parent;
  QRect place;
  const char* text;  // label and button captions; nullptr for others
  bool shown;        // shown within its parent
};

enum class Mode { StandAlone, Exportar, Importar, OtherWord };

const QRect kWholeClientArea(0, 0, 632, 266);

std::vector<Component> ExpectedComponents(Mode mode) {
  std::vector<Component> components = {
      {"Draw3D2", "MForm", {0, 0, 315, 169}, nullptr, true},
      {"Label3",
       "Draw3D2",
       {24, 24, 265, 57},
       "Transformar datos desde Ordalis hacia Velmora ",
       true},
      {"BExportar", "Draw3D2", {96, 120, 89, 25}, "Aceptar", true},
      {"Draw3D3", "MForm", {316, 0, 317, 169}, nullptr, true},
      {"Label4",
       "Draw3D3",
       {8, 24, 305, 57},
       "Transformar datos desde Velmora hacia Ordalis",
       true},
      {"BImportar", "Draw3D3", {96, 120, 89, 25}, "Aceptar", true},
      {"Draw3D1", "MForm", {0, 168, 633, 97}, nullptr, true},
      {"Label1", "Draw3D1", {8, 72, 262, 13}, "TransVelmoraOrdalis para ZR40 V-1.0", true},
      {"Button1", "Draw3D1", {48, 40, 75, 25}, "F1 Ayuda", true},
      {"BClose", "Draw3D1", {256, 32, 89, 25}, "&Salir", true},
      {"ListBoxPlanti", "Draw3D1", {576, 4, 49, 29}, nullptr, false},
  };
  auto component = [&](const char* name) -> Component& {
    for (Component& c : components) {
      if (qstrcmp(c.name, name) == 0) return c;
    }
    throw std::logic_error(name);
  };
  if (mode == Mode::Exportar) {
    component("Draw3D2").place = kWholeClientArea;
    component("Draw3D3").shown = false;
  } else if (mode == Mode::Importar) {
    component("Draw3D3").place = kWholeClientArea;
    component("Draw3D2").shown = false;
  }
  return components;
}

bool ShownOnScreen(const std::vector<Component>& components, const Component& component) {
  if (!component.shown) return false;
  for (const Component& parent : components) {
    if (qstrcmp(parent.name, component.parent) == 0) return ShownOnScreen(components, parent);
  }
  return true;
}

bool CloseTo(QColor actual, QColor expected) {
  return std::abs(actual.red() - expected.red()) <= 3 &&
         std::abs(actual.green() - expected.green()) <= 3 &&
         std::abs(actual.blue() - expected.blue()) <= 3;
}

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void everyComponentAtItsPlaceWithItsTextAndVisibility_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<int>("mode");
    QTest::newRow("stand-alone") << QStringList{} << int(Mode::StandAlone);
    QTest::newRow("EXPORTAR 1a2b") << QStringList{"EXPORTAR", "1a2b"} << int(Mode::Exportar);
    QTest::newRow("Importar FF") << QStringList{"Importar", "FF"} << int(Mode::Importar);
    QTest::newRow("convertir 1a2b") << QStringList{"convertir", "1a2b"} << int(Mode::OtherWord);
  }

  void everyComponentAtItsPlaceWithItsTextAndVisibility() {
    QFETCH(QStringList, parameters);
    QFETCH(int, mode);
    FormFixture fixture(parameters);
    app::TMForm& form = *fixture.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(form.objectName(), QStringLiteral("MForm"));
    QCOMPARE(form.size(), QSize(632, 266));
    QCOMPARE(form.windowTitle(),
             QStringLiteral("Exportar e importar datos entre Velmora y Ordalis"));

    const std::vector<Component> expected = ExpectedComponents(Mode(mode));
    for (const Component& component : expected) {
      const QString name = QString::fromLatin1(component.name);
      auto* widget = form.findChild<QWidget*>(name);
      QVERIFY2(widget != nullptr, component.name);
      QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(component.parent));
      QVERIFY2(widget->geometry() == component.place,
               qPrintable(name + QStringLiteral(" at %1,%2 %3x%4")
                                     .arg(widget->x())
                                     .arg(widget->y())
                                     .arg(widget->width())
                                     .arg(widget->height())));
      QVERIFY2(widget->isVisible() == ShownOnScreen(expected, component), component.name);
      if (component.text != nullptr) {
        const QString text = QString::fromLatin1(component.text);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
          QCOMPARE(label->text(), text);
          QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        } else {
          QCOMPARE(qobject_cast<QPushButton*>(widget)->text(), text);
        }
      }
    }

    // A panel that fills the window is aligned to it; the others keep their places.
    for (const char* name : {"Draw3D1", "Draw3D2", "Draw3D3"}) {
      auto* panel = form.findChild<GradientPanel*>(QString::fromLatin1(name));
      const bool fills = panel->geometry() == kWholeClientArea;
      QCOMPARE(panel->Alignment() == GradientPanel::Align::Client, fills);
    }
    // The bottom strip lies above a panel that fills the window, and stays usable there.
    auto* strip = form.findChild<QWidget*>("Draw3D1");
    auto* close = form.findChild<QPushButton*>("BClose");
    QCOMPARE(form.childAt(strip->geometry().topLeft() + close->geometry().center()), close);

    const bool hosted = Mode(mode) != Mode::StandAlone;
    QCOMPARE(form.State().NumParametros, hosted ? 2 : 0);
    QCOMPARE(form.windowFlags().testFlag(Qt::FramelessWindowHint), hosted);
    if (hosted) {
      QCOMPARE(form.pos(), QPoint(0, 0));
    } else {
      QCOMPARE(form.minimumSize(), form.maximumSize());
      QVERIFY(!form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
      QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }
  }

  void fontsColoursAndGlyphsOfTheComponents() {
    FormFixture fixture(QStringList{});
    app::TMForm& form = *fixture.form;

    const QStringList arialLike = {"Arial", "Liberation Sans", "Arimo"};
    const QStringList sansSerifLike = {"MS Sans Serif", "Microsoft Sans Serif", "Arial",
                                       "Liberation Sans", "Arimo"};
    for (const char* name : {"Label3", "Label4"}) {
      auto* label = form.findChild<QLabel*>(name);
      QVERIFY(label->wordWrap());
      QVERIFY(label->font().bold());
      QCOMPARE(label->font().pixelSize(), 16);
      QVERIFY2(arialLike.contains(QFontInfo(label->font()).family()),
               qPrintable(QFontInfo(label->font()).family()));
      QVERIFY(!label->autoFillBackground());
    }
    QVERIFY2(sansSerifLike.contains(QFontInfo(form.font()).family()),
             qPrintable(QFontInfo(form.font()).family()));
    QCOMPARE(form.font().pixelSize(), 11);

    auto* version = form.findChild<QLabel*>("Label1");
    QVERIFY(version->font().bold());
    QCOMPARE(version->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QVERIFY(!version->autoFillBackground());

    for (const char* name : {"BExportar", "BImportar", "BClose"}) {
      QVERIFY2(!form.findChild<QPushButton*>(name)->icon().isNull(), name);
    }
    QVERIFY(form.findChild<QPushButton*>("Button1")->icon().isNull());
    QVERIFY(form.findChild<QListWidget*>("ListBoxPlanti")->isSortingEnabled());
  }

  void gradientPanelsPaintTheirThreeColoursTopToBottom() {
    FormFixture fixture(QStringList{});
    app::TMForm& form = *fixture.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    struct Panel {
      const char* name;
      QColor start, mid, end;
    };
    const Panel panels[] = {
        {"Draw3D2", QColor(0xF9, 0xD3, 0x7D), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xEE, 0xDD)},
        {"Draw3D3", QColor(0xF9, 0xD3, 0x7D), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xEE, 0xDD)},
        {"Draw3D1", QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE), QColor(0xCC, 0xD8, 0xE6)},
    };
    for (const Panel& expected : panels) {
      auto* panel = form.findChild<GradientPanel*>(expected.name);
      QCOMPARE(panel->StartColor(), expected.start);
      QCOMPARE(panel->MidColor(), expected.mid);
      QCOMPARE(panel->EndColor(), expected.end);
      // A column free of other components, near the right edge.
      const QImage image = panel->grab().toImage();
      const int x = image.width() - 3;
      QVERIFY2(CloseTo(image.pixelColor(x, 0), expected.start), expected.name);
      QVERIFY2(CloseTo(image.pixelColor(x, image.height() / 2), expected.mid), expected.name);
      QVERIFY2(CloseTo(image.pixelColor(x, image.height() - 1), expected.end), expected.name);
    }
  }
};

TTO_REGISTER_APP_TEST(WindowLayoutTest);

}  // namespace tto::apptest

#include "WindowLayoutTest.moc"
