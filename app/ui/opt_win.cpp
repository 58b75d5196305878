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
#include "app/main_win_logic.h"
#include "app/ui/port_name.h"
#include "app/ui/twips.h"
#include "platform/port_list.h"

namespace cv2 {

namespace {

// Room beside the longest suggestion for the list's frame and scroll bar, pixels.
constexpr int kSuggestionMargin = 32;

DesignFrame* MakeFrame(QWidget* parent, const char* name, const design::Place& place) {
    auto* frame = new DesignFrame(QString::fromUtf8(place.caption), parent);
    frame->setObjectName(name);
    frame->setGeometry(TwipsRect(*parent, place));
    return frame;
}

QRadioButton* MakeOption(QWidget* frame, const QString& name, const design::Place& place,
                         const QWidget& ref) {
    auto* option = new QRadioButton(place.caption, frame);
    option->setObjectName(name);
    option->setGeometry(TwipsRect(ref, place));
    // Selection is kept by OptionsLogic, which may also select nothing or a
    // disabled option; Qt's own exclusivity would get in the way.
    option->setAutoExclusive(false);
    return option;
}

}  // namespace

OptWin::OptWin(MainWinLogic& mainWin)
    : QWidget(nullptr, Qt::Window), listPorts(AvailablePorts), mainWin_(mainWin) {
    setObjectName("OptWin");
    setWindowTitle(design::kOptionsTitle);
    UseDesignFont(*this);
    BuildControls();
    // The window opens at its designed size, lower than its frames reach; the
    // user may enlarge it to get at the options below the edge.
    resize(TwipsX(*this, design::kOptWidth), TwipsY(*this, design::kOptHeight));

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
    DesignFrame* frame3 = MakeFrame(this, "Frame3", design::kFrame3);
    auto* label = new QLabel(design::kNummerLabel.caption, frame3);
    label->setObjectName("Label1");
    label->setGeometry(TwipsRect(ref, design::kNummerLabel));
    ComPortTxT = new PortNameBox(design::kComPortTxT.caption, frame3);
    ComPortTxT->setObjectName("ComPortTxT");
    ComPortTxT->setGeometry(TwipsRect(ref, design::kComPortTxT));
    connect(ComPortTxT, &QLineEdit::textChanged, this,
            [this](const QString& text) { logic_.SetComPortText(text.toStdString()); });
    // Suggestions, not choices: typing any part of a name narrows them, and any
    // text typed stays what it is.
    portSuggestions_ = new QCompleter(new QStringListModel(this), this);
    portSuggestions_->setCaseSensitivity(Qt::CaseInsensitive);
    portSuggestions_->setFilterMode(Qt::MatchContains);
    ComPortTxT->setCompleter(portSuggestions_);

    DesignFrame* frame2 = MakeFrame(this, "Frame2", design::kFrame2);
    for (int i = 0; i < kInterfaceCount; ++i) {
        UpDevOpt[i] = MakeOption(frame2, QString("UpDevOpt%1").arg(i), design::kUpDevOpt[i], ref);
        connect(UpDevOpt[i], &QRadioButton::clicked, this, [this, i] {
            logic_.ClickInterface(*InterfaceKindAt(i));
            Mirror();
        });
    }

    DesignFrame* frame1 = MakeFrame(this, "Frame1", design::kFrame1);
    for (int i = 0; i < kBaudCount; ++i) {
        BdrtOpt[i] = MakeOption(frame1, QString("BdrtOpt%1").arg(i), design::kBdrtOpt[i], ref);
        connect(BdrtOpt[i], &QRadioButton::clicked, this, [this, i] {
            logic_.SelectBaud(i);
            Mirror();
        });
    }

    // Created after Frame2, so it lies over that frame's right part.
    OK_But = new QPushButton(design::kOK_But.caption, this);
    OK_But->setObjectName("OK_But");
    OK_But->setGeometry(TwipsRect(ref, design::kOK_But));
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
    logic_.Activate(mainWin_.settings());
    Mirror();
    OfferPorts();
    mainWin_.OptionsOpened();
}

void OptWin::Mirror() {
    for (int i = 0; i < kInterfaceCount; ++i) {
        UpDevOpt[i]->setChecked(logic_.selectedInterface() == InterfaceKindAt(i));
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
    if (!mainWin_.ConfirmOptions(logic_)) return;
    hide();
    mainWin_.OptionsClosed();
}

void OptWin::closeEvent(QCloseEvent* event) {
    // Closing discards what was not confirmed: the settings stay as they were.
    mainWin_.OptionsClosed();
    event->accept();
}

}  // namespace cv2
