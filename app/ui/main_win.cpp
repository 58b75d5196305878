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

constexpr int kClientWidth = 3450;
constexpr int kClientHeight = 4095;
constexpr int kLineLength = 3600;
constexpr int kBarLeft = 120;
constexpr int kBarTop = 3660;
constexpr int kBarBackgroundWidth = 3195;
constexpr int kBarHeight = 315;
const QColor kBarColour(0x5b, 0x8f, 0xd9);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& rect) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
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
    resize(TwipsX(*this, kClientWidth),
           TwipsY(*this, kClientHeight) + menuBar()->sizeHint().height());

    // Start-up: empty bar, caption with the version, settings read and shown.
    progress_.SetProgress(0);
    setWindowTitle(QString::fromStdString(
        MainWinCaption(CV2_VERSION_MAJOR, CV2_VERSION_MINOR, CV2_VERSION_PATCH)));
    LoadSettings(settingsPath_, settings_);
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
        MakeRectangle(client, "Line1", Qt::black, QRect(0, 0, TwipsX(ref, kLineLength), 1));
    line->lower();

    MakeLabel(client, "Label4", "ComPort Nr.:", TwipsRect(ref, 120, 360, 1035, 195));
    ComPortNrTxt =
        MakeLabel(client, "ComPortNrTxt", "ComPortNr", TwipsRect(ref, 1380, 360, 1275, 195));
    MakeLabel(client, "Label5", "Baudrate:", TwipsRect(ref, 120, 660, 1035, 195));
    BdRtTxt = MakeLabel(client, "BdRtTxt", "Baudrate", TwipsRect(ref, 1380, 660, 1275, 195));
    MakeLabel(client, "Label3", "Filename:", TwipsRect(ref, 120, 1020, 1035, 195));
    DF_FileTxt = MakeLabel(client, "DF_FileTxt", "", TwipsRect(ref, 1380, 1020, 1635, 195));
    ComTxt = MakeLabel(client, "ComTxt", "- ", TwipsRect(ref, 0, 1680, 3435, 315));

    QLabel* hint = MakeLabel(client, "Label1", "Eine Datensicherung kann bis zu 40 Minuten dauern.",
                             TwipsRect(ref, 600, 2160, 2295, 375));
    QFont bold = hint->font();
    bold.setBold(true);
    hint->setFont(bold);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    hint->setWordWrap(true);

    ReadDF_But = new QPushButton("Datenbank auf dem PC sichern", client);
    ReadDF_But->setObjectName("ReadDF_But");
    ReadDF_But->setGeometry(TwipsRect(ref, 120, 2700, 3195, 375));
    connect(ReadDF_But, &QPushButton::clicked, this, [this] { RunProcedure(onReadDF); });
    WriteDF_But = new QPushButton("Datenbank in die CV2 übertragen", client);
    WriteDF_But->setObjectName("WriteDF_But");
    WriteDF_But->setGeometry(TwipsRect(ref, 120, 3180, 3195, 375));
    connect(WriteDF_But, &QPushButton::clicked, this, [this] { RunProcedure(onWriteDF); });
    setTabOrder(ReadDF_But, WriteDF_But);
    ReadDF_But->setFocus();

    ProzBalkenWeiss =
        MakeRectangle(client, "ProzBalkenWeiss", Qt::white,
                      TwipsRect(ref, kBarLeft, kBarTop, kBarBackgroundWidth, kBarHeight));
    ProzBalken = MakeRectangle(client, "ProzBalken", kBarColour,
                               TwipsRect(ref, kBarLeft, kBarTop, 1605, kBarHeight));
    // Created last, so it is drawn over the bar; a label fills no background.
    ProzTxt = MakeLabel(client, "ProzTxt", "100%", TwipsRect(ref, 1560, 3720, 435, 195));
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

double MainWin::BackgroundWidth() const { return kBarBackgroundWidth; }

void MainWin::SetPercentText(const std::string& text) {
    ProzTxt->setText(QString::fromStdString(text));
}

}  // namespace cv2
