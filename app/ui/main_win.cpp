#include "app/ui/main_win.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "app/ui/frm_hinweis.h"
#include "app/ui/opt_win.h"
#include "app/ui/port_name.h"
#include "app/ui/program_icon.h"
#include "app/ui/twips.h"

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
      logic_(*this, settings, comm1, boxes, fileDialog, std::move(settingsPath), std::move(quit)) {
    setObjectName("MainWin");
    setWindowIcon(ProgramIcon());
    UseDesignFont(*this);
    BuildMenus();
    BuildControls();
    resize(TwipsX(*this, design::kMainWidth),
           TwipsY(*this, design::kMainHeight) + menuBar()->sizeHint().height());
    logic_.Start();
}

MainWin::~MainWin() = default;

void MainWin::BuildMenus() {
    Datei_menu = menuBar()->addMenu("Datei");
    Datei_menu->setObjectName("Datei_menu");
    QAction* load = Datei_menu->addAction("Datei", this, [this] { logic_.ChooseFile(); });
    load->setObjectName("Load_menu");
    QAction* options = Datei_menu->addAction("Optionen", this, [this] { logic_.ChooseOptions(); });
    options->setObjectName("Opt_menu");
    QAction* quit = Datei_menu->addAction("Beenden", this, [this] { logic_.ChooseEnd(); });
    quit->setObjectName("ende_menu");
    // A top-level entry without items: choosing it opens the notice window.
    QAction* notice = menuBar()->addAction("Hinweis");
    notice->setObjectName("Hinweis_menu");
    connect(notice, &QAction::triggered, this, [this] { logic_.ChooseNotice(); });
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
    connect(ReadDF_But, &QPushButton::clicked, this, [this] { logic_.ClickReadDF(); });
    WriteDF_But = new QPushButton(QString::fromUtf8(design::kWriteDF_But.caption), client);
    WriteDF_But->setObjectName("WriteDF_But");
    WriteDF_But->setGeometry(TwipsRect(ref, design::kWriteDF_But));
    connect(WriteDF_But, &QPushButton::clicked, this, [this] { logic_.ClickWriteDF(); });
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

void MainWin::SetCaption(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

void MainWin::SetLabel(MainWinLabel label, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    switch (label) {
        case MainWinLabel::ComPort:
            ShowPortName(*ComPortNrTxt, shown);
            break;
        case MainWinLabel::BaudRate:
            BdRtTxt->setText(shown);
            break;
        case MainWinLabel::FileName:
            DF_FileTxt->setText(shown);
            break;
        case MainWinLabel::Status:
            ComTxt->setText(shown);
            break;
    }
}

void MainWin::closeEvent(QCloseEvent* event) {
    logic_.ChooseEnd();
    event->accept();
}

OptWin* MainWin::ShowOptions() {
    if (!optWin_) optWin_ = std::make_unique<OptWin>(logic_);
    optWin_->show();
    optWin_->raise();
    optWin_->activateWindow();
    return optWin_.get();
}

void MainWin::OpenNotice() {
    FrmHinweis notice(this);
    notice.exec();
}

void MainWin::SetButtonsEnabled(bool enabled) {
    ReadDF_But->setEnabled(enabled);
    WriteDF_But->setEnabled(enabled);
}

void MainWin::SetDateiMenuEnabled(bool enabled) { Datei_menu->menuAction()->setEnabled(enabled); }

void MainWin::SetBarWidth(double twips) {
    ProzBalken->resize(TwipsX(*this, twips), ProzBalken->height());
}

void MainWin::SetPercentText(const std::string& text) {
    ProzTxt->setText(QString::fromStdString(text));
}

}  // namespace cv2
