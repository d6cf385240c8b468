#include "app/MainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <string>

#include "app/Fonts.h"
#include "app/Glyphs.h"
#include "app/GradientPanel.h"
#include "app/HelpLauncher.h"
#include "app/HostEmbedding.h"
#include "app/ProgramText.h"
#include "app/QtShell.h"
#include "core/RunGuard.h"
#include "intake/IntakeRun.h"
#include "return/ReturnRun.h"
#include "store/AnsiText.h"
#include "store/Conversions.h"
#include "store/IniFile.h"

namespace tto::app {

namespace {

const QColor kPanelStart(0xF9, 0xD3, 0x7D);
const QColor kPanelMid(0xFF, 0xFF, 0xFF);
const QColor kPanelEnd(0xFF, 0xEE, 0xDD);
const QColor kStripStart(0xC2, 0xCD, 0xFE);
const QColor kStripMid(0xCF, 0xF2, 0xFE);
const QColor kStripEnd(0xCC, 0xD8, 0xE6);

GradientPanel* MakePanel(QWidget* parent, const char* name, const QRect& place, const QColor& start,
                         const QColor& mid, const QColor& end) {
  auto* panel = new GradientPanel(start, mid, end, parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setGeometry(place);
  // Each panel is a window of its own, as on the platform the layout comes from; outside
  // tools (and our display tests) see the panels and their places.
  panel->setAttribute(Qt::WA_NativeWindow);
  return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& place, const char* ansiText) {
  auto* label = new QLabel(FromProgramText(ansiText), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const char* ansiText) {
  auto* button = new QPushButton(FromProgramText(ansiText), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  // Enter must not start a run by surprise; a button acts when clicked or by its key.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TMForm::TMForm(Options options) : programFolder_(std::move(options.programFolder)) {
  if (options.shell != nullptr) {
    shell_ = options.shell;
  } else {
    ownShell_ = std::make_unique<QtShell>(*this);
    shell_ = ownShell_.get();
  }
  CreateComponents();
  FormCreate(options.parameters);
}

TMForm::~TMForm() {
  if (embedding_) {
    // Our native window is a child of the host's Qt window; it goes first, so that
    // releasing the host never takes a window of ours with it.
    destroy();
    embedding_.reset();
  }
}

std::filesystem::path TMForm::ExecutableFolder() {
  return std::filesystem::path(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
}

void TMForm::CreateComponents() {
  InstallFontSubstitutes();
  setObjectName(QStringLiteral("MForm"));
  setWindowTitle(FromProgramText(kCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(DialogFont());

  // Creation order is stacking order: the bottom strip lies above a panel that has grown
  // to fill the window in hosted mode, and stays usable there.
  Draw3D2 = MakePanel(this, "Draw3D2", {0, 0, 315, 169}, kPanelStart, kPanelMid, kPanelEnd);
  Label3 = MakeLabel(Draw3D2, "Label3", {24, 24, 265, 57},
                     "Transformar datos desde Ordalis hacia Velmora ");
  Label3->setFont(PanelTitleFont());
  Label3->setWordWrap(true);
  BExportar = MakeButton(Draw3D2, "BExportar", {96, 120, 89, 25}, "Aceptar");
  BExportar->setIcon(CheckMarkGlyph());
  BExportar->setIconSize({kGlyphSize, kGlyphSize});

  Draw3D3 = MakePanel(this, "Draw3D3", {316, 0, 317, 169}, kPanelStart, kPanelMid, kPanelEnd);
  Label4 = MakeLabel(Draw3D3, "Label4", {8, 24, 305, 57},
                     "Transformar datos desde Velmora hacia Ordalis");
  Label4->setFont(PanelTitleFont());
  Label4->setWordWrap(true);
  BImportar = MakeButton(Draw3D3, "BImportar", {96, 120, 89, 25}, "Aceptar");
  BImportar->setIcon(CheckMarkGlyph());
  BImportar->setIconSize({kGlyphSize, kGlyphSize});

  Draw3D1 = MakePanel(this, "Draw3D1", {0, 168, 633, 97}, kStripStart, kStripMid, kStripEnd);
  Label1 = MakeLabel(Draw3D1, "Label1", {8, 72, 262, 13}, "TransVelmoraOrdalis para ZR40 V-1.0");
  QFont versionFont = DialogFont();
  versionFont.setBold(true);
  Label1->setFont(versionFont);
  QPalette versionPalette = Label1->palette();
  versionPalette.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
  Label1->setPalette(versionPalette);
  Button1 = MakeButton(Draw3D1, "Button1", {48, 40, 75, 25}, "F1 Ayuda");
  BClose = MakeButton(Draw3D1, "BClose", {256, 32, 89, 25}, "&Salir");
  BClose->setIcon(DoorGlyph());
  BClose->setIconSize({kGlyphSize, kGlyphSize});

  ListBoxPlanti = new QListWidget(Draw3D1);
  ListBoxPlanti->setObjectName(QStringLiteral("ListBoxPlanti"));
  ListBoxPlanti->setGeometry(576, 4, 49, 29);
  ListBoxPlanti->setSortingEnabled(true);
  ListBoxPlanti->hide();

  connect(BExportar, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(Button1, &QPushButton::clicked, this, &TMForm::Button1Click);
  connect(BClose, &QPushButton::clicked, this, &TMForm::close);
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  help->setObjectName(QStringLiteral("HelpShortcut"));
  connect(help, &QShortcut::activated, this, [this] { ShowHelp(kHelpContext); });
}

void TMForm::FormCreate(const QStringList& parameters) {
  state_.ResultadoTransformacion = 0;
  if (parameters.size() == 2) {
    // The handle is hexadecimal digits without a prefix; "$" makes the conversion read
    // them so, and any other text (a prefix of its own included) fails with the
    // conversion's message and leaves the window stand-alone.
    std::optional<std::uint32_t> handle;
    RunReportingErrors(*shell_, [&] {
      const std::string text = "$" + Utf8ToAnsi(parameters[1].toStdString());
      handle = static_cast<std::uint32_t>(StrToInt(text));
    });
    if (handle) EnterHostedMode(parameters[0], *handle);
  }
  state_.CodigosUsados.clear();
  state_.NombresUsados.clear();
}

void TMForm::EnterHostedMode(const QString& modeWord, std::uint32_t handle) {
  hostHandle_ = handle;
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  embedding_ = HostEmbedding::Embed(*this, handle, [this] { HostGone(); });
  if (embedding_) {
    if (ownShell_) ownShell_->SetHostWindow(embedding_->Host());
  } else {
    // Handle 0 names no parent, and a handle that names no window is treated alike: the
    // window stays top-level, without border, at the top left of the screen; hosted mode
    // holds, so Velmora still finds its result flag.
    if (handle != 0) {
      qWarning(
          "TransTarvosOrdalis: no window 0x%x on this display to live in; the window "
          "stays on its own",
          handle);
    }
    move(0, 0);
  }
  state_.NumParametros = 2;

  const std::string mode = AnsiLowerCase(Utf8ToAnsi(modeWord.toStdString()));
  if (mode == "importar") {
    Draw3D2->hide();
    Draw3D3->SetAlignment(GradientPanel::Align::Client);
  }
  if (mode == "exportar") {
    Draw3D3->hide();
    Draw3D2->SetAlignment(GradientPanel::Align::Client);
  }
}

void TMForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  emit Closed();
}

void TMForm::FormClose() {
  if (!state_.Hosted()) return;
  // A settings file that cannot be written is reported; the window still closes, since
  // nothing the person could do here would mend it.
  RunReportingErrors(*shell_, [&] {
    WriteIniInteger(programFolder_ / kSettingsFileName, kSettingsSection, kSettingsKey,
                    state_.ResultadoTransformacion);
  });
}

void TMForm::HostGone() {
  // Velmora's window is gone and ours with it: nobody can see or close us any more.
  close();
}

void TMForm::Button1Click() {
  ShowHelp(std::nullopt);
}

void TMForm::ShowHelp(std::optional<int> context) {
  if (auto problem = OpenHelp(programFolder_ / kHelpFileName, context)) {
    shell_->ShowMessage(*problem);
  }
}

void TMForm::BExportarClick() {
  RunReportingErrors(*shell_, [&] { tto::BExportarClick(state_, *shell_); });
}

void TMForm::BImportarClick() {
  RunReportingErrors(*shell_, [&] { tto::BImportarClick(state_, *shell_); });
}

}  // namespace tto::app
