#include "app/ui/opt_win.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QCompleter>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStringListModel>
#include <QTimer>
#include <utility>

#include "app/ui/design_frame.h"
#include "app/ui/main_win.h"
#include "app/ui/port_name.h"
#include "app/ui/twips.h"
#include "platform/port_list.h"

namespace cv2 {

namespace {

// Room beside the longest suggestion for the list's frame and scroll bar, pixels.
constexpr int kSuggestionMargin = 32;

// The window opens at its designed size, lower than its frames reach; the
// user may enlarge it to get at the options below the edge.
constexpr int kClientWidth = 3825;
constexpr int kClientHeight = 1455;

struct OptionPlace {
    const char* caption;
    int left, top, width, height;
};

constexpr std::array<OptionPlace, kInterfaceCount> kInterfaceOptions = {{
    {"Tandemo/Centrova", 120, 300, 2175, 195},
    {"Orvendal 48240 - LocoNet Interface", 120, 600, 3375, 195},
    {"Orvendal 48250 - LocoNet USB Interface", 120, 900, 3435, 195},
}};

constexpr std::array<OptionPlace, kBaudRates.size()> kBaudOptions = {{
    // 780 twips wide rather than 795, which reached into the box of 16666.
    {"9600", 120, 300, 780, 195},
    {"16666", 900, 300, 795, 195},
    {"19200", 1740, 300, 795, 195},
    {"115200", 2640, 300, 855, 195},
}};

DesignFrame* MakeFrame(QWidget* parent, const char* name, const char* caption, const QRect& rect) {
    auto* frame = new DesignFrame(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(rect);
    return frame;
}

QRadioButton* MakeOption(QWidget* frame, const QString& name, const OptionPlace& place,
                         const QWidget& ref) {
    auto* option = new QRadioButton(place.caption, frame);
    option->setObjectName(name);
    option->setGeometry(TwipsRect(ref, place.left, place.top, place.width, place.height));
    // Selection is kept by OptionsLogic, which may also select nothing or a
    // disabled option; Qt's own exclusivity would get in the way.
    option->setAutoExclusive(false);
    return option;
}

}  // namespace

OptWin::OptWin(Settings& settings, MainWin& mainWin)
    : QWidget(nullptr, Qt::Window),
      listPorts(AvailablePorts),
      settings_(settings),
      mainWin_(mainWin) {
    setObjectName("OptWin");
    setWindowTitle("Optionen");
    UseDesignFont(*this);
    BuildControls();
    resize(TwipsX(*this, kClientWidth), TwipsY(*this, kClientHeight));

    // Coming back from another program is no activation from one of ours:
    // what the user typed before leaving stays. The window the user returns
    // to is activated right after the program becomes active again; once
    // that is through, activations come from our own windows again.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) {
                    awayFromProgram_ = true;
                } else {
                    QTimer::singleShot(0, this, [this] { awayFromProgram_ = false; });
                }
            });
}

void OptWin::BuildControls() {
    const QWidget& ref = *this;
    DesignFrame* frame3 =
        MakeFrame(this, "Frame3", "ComPort:", TwipsRect(ref, 120, 240, 3615, 555));
    auto* label = new QLabel("Nummer:", frame3);
    label->setObjectName("Label1");
    // Up to the COM port box rather than the designed 675 twips: in the fonts
    // at hand the caption is a pixel wider than that.
    label->setGeometry(TwipsRect(ref, 480, 240, 780, 195));
    ComPortTxT = new PortNameBox("1", frame3);
    ComPortTxT->setObjectName("ComPortTxT");
    ComPortTxT->setGeometry(TwipsRect(ref, 1260, 180, 435, 285));
    connect(ComPortTxT, &QLineEdit::textChanged, this,
            [this](const QString& text) { logic_.SetComPortText(text.toStdString()); });
    // Suggestions, not choices: typing any part of a name narrows them, and any
    // text typed stays what it is.
    portSuggestions_ = new QCompleter(new QStringListModel(this), this);
    portSuggestions_->setCaseSensitivity(Qt::CaseInsensitive);
    portSuggestions_->setFilterMode(Qt::MatchContains);
    ComPortTxT->setCompleter(portSuggestions_);

    DesignFrame* frame2 =
        MakeFrame(this, "Frame2", "Update über ", TwipsRect(ref, 120, 840, 3615, 1275));
    for (int i = 0; i < kInterfaceCount; ++i) {
        UpDevOpt[i] = MakeOption(frame2, QString("UpDevOpt%1").arg(i), kInterfaceOptions[i], ref);
        connect(UpDevOpt[i], &QRadioButton::clicked, this, [this, i] {
            logic_.ClickInterface(i);
            Mirror();
        });
    }

    DesignFrame* frame1 =
        MakeFrame(this, "Frame1", "Baurate:", TwipsRect(ref, 120, 2160, 3615, 675));
    for (int i = 0; i < kBaudCount; ++i) {
        BdrtOpt[i] = MakeOption(frame1, QString("BdrtOpt%1").arg(i), kBaudOptions[i], ref);
        connect(BdrtOpt[i], &QRadioButton::clicked, this, [this, i] {
            logic_.SelectBaud(i);
            Mirror();
        });
    }

    // Created after Frame2, so it lies over that frame's right part.
    OK_But = new QPushButton("O.K.", this);
    OK_But->setObjectName("OK_But");
    OK_But->setGeometry(TwipsRect(ref, 2760, 960, 855, 315));
    QFont bold = OK_But->font();
    bold.setBold(true);
    OK_But->setFont(bold);
    connect(OK_But, &QPushButton::clicked, this, [this] { OkClicked(); });
}

bool OptWin::event(QEvent* event) {
    // Moving here from another window of the program replaces choices not yet
    // confirmed by the settings.
    if (event->type() == QEvent::WindowActivate && !std::exchange(awayFromProgram_, false)) {
        Activate();
    }
    return QWidget::event(event);
}

void OptWin::showEvent(QShowEvent* event) {
    // Opened from the menu; a window restored from an icon shows spontaneously.
    if (!event->spontaneous()) Activate();
    QWidget::showEvent(event);
}

void OptWin::Activate() {
    logic_.Activate(settings_);
    Mirror();
    OfferPorts();
    mainWin_.DisableButtons();
}

void OptWin::Mirror() {
    for (int i = 0; i < kInterfaceCount; ++i) {
        UpDevOpt[i]->setChecked(logic_.selectedInterface() == i);
    }
    for (int i = 0; i < kBaudCount; ++i) {
        BdrtOpt[i]->setEnabled(logic_.baudEnabled(i));
        BdrtOpt[i]->setChecked(logic_.selectedBaud() == i);
    }
    const QString port = QString::fromStdString(logic_.comPortText());
    if (ComPortTxT->text() != port) ComPortTxT->setText(port);
}

void OptWin::OfferPorts() {
    QStringList names;
    for (const PortEntry& port : listPorts()) names << QString::fromStdString(port.name());
    static_cast<QStringListModel*>(portSuggestions_->model())->setStringList(names);
    // The list is as wide as its longest name, not as the narrow box.
    QAbstractItemView* list = portSuggestions_->popup();
    list->setMinimumWidth(list->sizeHintForColumn(0) + kSuggestionMargin);
}

void OptWin::OkClicked() {
    logic_.Confirm(settings_);
    mainWin_.ShowSettings();
    hide();
    mainWin_.OptionsClosed();
}

void OptWin::closeEvent(QCloseEvent* event) {
    // Closing discards what was not confirmed: the settings stay as they were.
    mainWin_.OptionsClosed();
    event->accept();
}

}  // namespace cv2
