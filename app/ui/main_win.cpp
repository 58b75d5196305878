#include "app/ui/main_win.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "app/file_choice.h"
#include "app/ui/frm_hinweis.h"
#include "app/ui/opt_win.h"
#include "app/ui/port_name.h"
#include "app/ui/program_icon.h"
#include "app/ui/twips.h"
#include "platform/number_format.h"
#include "platform/serial_control.h"
#include "settings/settings_file.h"

namespace cv2 {

namespace {

const QColor kBarColour(0x5b, 0x8f, 0xd9);

QLabel* MakeLabel(QWidget* parent, const char* name, const design::Place& place) {
    auto* label = new QLabel(QString::fromUtf8(place.caption), parent);
    label->setObjectName(name);
    label->setGeometry(TwipsRect(*parent->window(), place));
    // Text starts at the top left of its box unless a control says otherwise.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeRectangle(QWidget* parent, const char* name, const QColor& colour, const QRect& rect) {
    auto* box = new QWidget(parent);
    box->setObjectName(name);
    box->setGeometry(rect);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, colour);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
    return box;
}

}  // namespace

MainWin::MainWin(Settings& settings, SerialControl& comm1, MessageBoxes& boxes,
                 FileDialog& fileDialog, std::string settingsPath, std::function<void()> quit,
                 QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      comm1_(comm1),
      boxes_(boxes),
      fileDialog_(fileDialog),
      settingsPath_(std::move(settingsPath)),
      quit_(std::move(quit)) {
    setObjectName("MainWin");
    setWindowIcon(ProgramIcon());
    UseDesignFont(*this);
    BuildMenus();
    BuildControls();
    resize(TwipsX(*this, design::kMainWidth),
           TwipsY(*this, design::kMainHeight) + menuBar()->sizeHint().height());

    // Start-up: empty bar, caption with the version, settings read and shown.
    progress_.SetProgress(0);
    setWindowTitle(QString::fromStdString(
        MainWinCaption(CV2_VERSION_MAJOR, CV2_VERSION_MINOR, CV2_VERSION_PATCH)));
    LoadSettingsAtStart(settingsPath_, settings_, boxes_);
    ShowSettings();
}

MainWin::~MainWin() = default;

void MainWin::BuildMenus() {
    Datei_menu = menuBar()->addMenu("Datei");
    Datei_menu->setObjectName("Datei_menu");
    QAction* load = Datei_menu->addAction("Datei", this, [this] { LoadMenu(); });
    load->setObjectName("Load_menu");
    QAction* options = Datei_menu->addAction("Optionen", this, [this] {
        // The restore leaves this menu usable; its settings must not change under it.
        if (!guard_.running()) ShowOptions();
    });
    options->setObjectName("Opt_menu");
    QAction* quit = Datei_menu->addAction("Beenden", this, [this] { SaveSettingsAndQuit(); });
    quit->setObjectName("ende_menu");
    // A top-level entry without items: choosing it opens the notice window.
    QAction* notice = menuBar()->addAction("Hinweis");
    notice->setObjectName("Hinweis_menu");
    connect(notice, &QAction::triggered, this, [this] { ShowNotice(); });
}

void MainWin::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    const QWidget& ref = *this;

    // A line along the top edge of the client area, longer than the window is wide.
    auto* line =
        MakeRectangle(client, "Line1", Qt::black, QRect(0, 0, TwipsX(ref, design::kLineLength), 1));
    line->lower();

    MakeLabel(client, "Label4", design::kLabel4);
    ComPortNrTxt = MakeLabel(client, "ComPortNrTxt", design::kComPortNrTxt);
    MakeLabel(client, "Label5", design::kLabel5);
    BdRtTxt = MakeLabel(client, "BdRtTxt", design::kBdRtTxt);
    MakeLabel(client, "Label3", design::kLabel3);
    DF_FileTxt = MakeLabel(client, "DF_FileTxt", design::kDF_FileTxt);
    ComTxt = MakeLabel(client, "ComTxt", design::kComTxt);

    QLabel* hint = MakeLabel(client, "Label1", design::kLabel1);
    QFont bold = hint->font();
    bold.setBold(true);
    hint->setFont(bold);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    hint->setWordWrap(true);

    ReadDF_But = new QPushButton(QString::fromUtf8(design::kReadDF_But.caption), client);
    ReadDF_But->setObjectName("ReadDF_But");
    ReadDF_But->setGeometry(TwipsRect(ref, design::kReadDF_But));
    connect(ReadDF_But, &QPushButton::clicked, this, [this] { RunProcedure(onReadDF); });
    WriteDF_But = new QPushButton(QString::fromUtf8(design::kWriteDF_But.caption), client);
    WriteDF_But->setObjectName("WriteDF_But");
    WriteDF_But->setGeometry(TwipsRect(ref, design::kWriteDF_But));
    connect(WriteDF_But, &QPushButton::clicked, this, [this] { RunProcedure(onWriteDF); });
    setTabOrder(ReadDF_But, WriteDF_But);
    ReadDF_But->setFocus();

    const design::Place& bar = design::kProzBalkenWeiss;
    ProzBalkenWeiss = MakeRectangle(client, "ProzBalkenWeiss", Qt::white, TwipsRect(ref, bar));
    ProzBalken = MakeRectangle(client, "ProzBalken", kBarColour,
                               TwipsRect(ref, bar.left, bar.top, 1605, bar.height));
    // Created last, so it is drawn over the bar; a label fills no background.
    ProzTxt = MakeLabel(client, "ProzTxt", design::kProzTxt);
    ProzTxt->setAlignment(Qt::AlignCenter);
}

void MainWin::RunProcedure(const std::function<void()>& procedure) { guard_.Run(procedure); }

void MainWin::ShowSettings() {
    BdRtTxt->setText(QString::number(settings_.BaudRate));
    ShowPortName(*ComPortNrTxt, QString::fromStdString(settings_.ComPort.ToText()));
    DF_FileTxt->setText(QString::fromStdString(FileNamePart(settings_.BackupFileName)));
}

void MainWin::SaveSettingsAndQuit() {
    // A file that cannot be written does not keep the program from ending.
    SaveSettings(settingsPath_, settings_);
    if (quit_) quit_();
}

void MainWin::closeEvent(QCloseEvent* event) {
    SaveSettingsAndQuit();
    event->accept();
}

void MainWin::OptionsClosed() {
    if (!guard_.running()) EnableButtons();
}

OptWin* MainWin::ShowOptions() {
    if (!optWin_) optWin_ = std::make_unique<OptWin>(settings_, *this);
    optWin_->show();
    optWin_->raise();
    optWin_->activateWindow();
    return optWin_.get();
}

void MainWin::ShowNotice() {
    FrmHinweis notice(this);
    notice.exec();
}

void MainWin::DisableButtons() {
    ReadDF_But->setEnabled(false);
    WriteDF_But->setEnabled(false);
}

void MainWin::EnableButtons() {
    ReadDF_But->setEnabled(true);
    WriteDF_But->setEnabled(true);
}

void MainWin::SetDateiMenuEnabled(bool enabled) { Datei_menu->menuAction()->setEnabled(enabled); }

void MainWin::ClosePort() {
    if (comm1_.PortOpen()) comm1_.SetPortOpen(false);
}

void MainWin::SetComTxt(const std::string& text) { ComTxt->setText(QString::fromStdString(text)); }

void MainWin::LoadMenu() {
    // A cancel gives the empty name, which clears the file in use.
    LoadMenuFileChoice(fileDialog_, settings_);
    DF_FileTxt->setText(QString::fromStdString(FileNamePart(settings_.BackupFileName)));
}

std::string MainWin::FormatNumber(double value) { return LocaleNumber(value); }

void MainWin::SetBarWidth(double twips) {
    ProzBalken->resize(TwipsX(*this, twips), ProzBalken->height());
}

double MainWin::BackgroundWidth() const { return design::kProzBalkenWeiss.width; }

void MainWin::SetPercentText(const std::string& text) {
    ProzTxt->setText(QString::fromStdString(text));
}

}  // namespace cv2
