// The Qt windows as a user meets them, offscreen: what the main window's
// controls show and reach (its behaviour is tested once, against its logic),
// the notice, the options window with its port box, suggestions and
// activation, and every window's layout.
#include <qpa/qwindowsysteminterface.h>

#include <QtTest>
#include <QtWidgets>
#include <cstdio>
#include <memory>

#include "app/ui/design_frame.h"
#include "app/ui/frm_hinweis.h"
#include "app/ui/main_win.h"
#include "app/ui/opt_win.h"
#include "app/ui/port_name.h"
#include "tests/support/main_win_doubles.h"

using namespace cv2;

namespace {

// The controls of a window: named widgets other than Qt's own parts and menus.
QList<QWidget*> Controls(QWidget& window) {
    QList<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isWindow() && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) {
            controls << w;
        }
    }
    return controls;
}

// What a user would see as broken: a control reaching out of its parent (for
// a frame: above its top line or over its border), a control over a frame's
// caption, two controls on top of each other, a label's text wider than the
// label. Controls in except are left out.
QStringList LayoutFaults(QWidget& window, const QStringList& except = {}) {
    QStringList faults;
    QList<QWidget*> leaves;
    for (QWidget* w : Controls(window)) {
        if (except.contains(w->objectName())) continue;
        if (!w->parentWidget()->contentsRect().contains(w->geometry())) {
            faults << w->objectName() + " outside " + w->parentWidget()->objectName();
        }
        const auto* label = qobject_cast<QLabel*>(w);
        if (label && !label->wordWrap() &&
            label->fontMetrics().tightBoundingRect(label->text()).right() >=
                label->contentsRect().width()) {
            faults << w->objectName() + " cut";
        }
        if (const auto* frame = qobject_cast<DesignFrame*>(w->parentWidget());
            frame && frame->captionRect().intersects(w->geometry())) {
            faults << w->objectName() + " over the caption of " + frame->objectName();
        }
        if (Controls(*w).isEmpty()) leaves << w;
    }
    for (int i = 0; i < leaves.size(); ++i) {
        const QRect a(leaves[i]->mapTo(&window, QPoint()), leaves[i]->size());
        for (int j = i + 1; j < leaves.size(); ++j) {
            if (a.intersects(QRect(leaves[j]->mapTo(&window, QPoint()), leaves[j]->size()))) {
                faults << leaves[i]->objectName() + " over " + leaves[j]->objectName();
            }
        }
    }
    return faults;
}

// The whole text shows in the notice's text box, nothing scrolled out of view.
bool NoticeTextFits(QWidget& notice) {
    auto* text = notice.findChild<QPlainTextEdit*>("Text1");
    QTextCursor end(text->document());
    end.movePosition(QTextCursor::End);
    return text->verticalScrollBar()->maximum() == 0 &&
           text->cursorRect(end).bottom() < text->viewport()->height();
}

}  // namespace

class WindowsTest : public QObject, test::MainWinDoubles {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<MainWin> win;
    OptWin* opt = nullptr;

    void Start(const std::string& settingsFile = {}) {
        WriteSettingsFile(settingsFile);
        win = Open<MainWin>();
        win->show();
        QVERIFY(QTest::qWaitForWindowActive(win.get()));
    }
    QString Text(const char* label) { return win->findChild<QLabel*>(label)->text(); }
    QAction* Action(const char* name) { return win->findChild<QAction*>(name); }
    QPushButton* Button(const char* name) { return win->findChild<QPushButton*>(name); }
    bool TransferButtonsEnabled() {
        return Button("ReadDF_But")->isEnabled() && Button("WriteDF_But")->isEnabled();
    }

    void OpenOptions() {
        opt = win->ShowOptions();
        QVERIFY(QTest::qWaitForWindowActive(opt));
    }
    QRadioButton* Option(const char* kind, int i) {
        return opt->findChild<QRadioButton*>(QString("%1%2").arg(kind).arg(i));
    }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    static bool OptionsShown() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<OptWin*>(w) && w->isVisible()) return true;
        }
        return false;
    }
    // The four baud options: X selected, x selected but disabled, + enabled, - disabled.
    QString BaudState() {
        QString s;
        for (int i = 0; i < 4; ++i) {
            const QRadioButton* b = Option("BdrtOpt", i);
            s += b->isChecked() ? (b->isEnabled() ? 'X' : 'x') : (b->isEnabled() ? '+' : '-');
        }
        return s;
    }

private slots:
    void init() {
        settingsPath = dir.filePath("CV2_DF.INF").toStdString();
        std::remove(settingsPath.c_str());
        fileDialog = FakeFileDialog();
        boxes = FakeMessageBoxes();
        settings = Settings();
        quits = 0;
    }
    void cleanup() { win.reset(); }

    // --- the main window's controls and what they reach ---

    void theControlsShowWhatTheLogicSaysAndReachWhatItDoes() {
        Start("\"COM4\"\r\n19200\r\n\"\"\r\n");
        QCOMPARE(win->windowTitle(), QString("CV2 Sicherung - Ver.: 1.0.0"));
        QCOMPARE(Text("ComPortNrTxt") + "|" + Text("BdRtTxt") + "|" + Text("DF_FileTxt"),
                 QString("COM4|19200|"));
        QCOMPARE(Text("ProzTxt"), QString("0%"));
        QCOMPARE(win->findChild<QWidget*>("ProzBalken")->width(), 0);
        fileDialog.answers = {"/home/anna/lok.CDF"};
        Action("Load_menu")->trigger();
        QCOMPARE(Text("DF_FileTxt"), QString("lok.CDF"));
        bool lockedInRun = false, optionsInRun = true;
        win->logic().onReadDF = [&] {
            win->logic().DisableButtons();
            lockedInRun = !Button("ReadDF_But")->isEnabled() && !Button("WriteDF_But")->isEnabled();
            Action("Opt_menu")->trigger();
            optionsInRun = OptionsShown();
        };
        Click(Button("ReadDF_But"));
        QVERIFY(lockedInRun && !optionsInRun);
        Action("Opt_menu")->trigger();
        QVERIFY(OptionsShown());
        Action("ende_menu")->trigger();
        QCOMPARE(quits, 1);
        QCOMPARE(SettingsFile(), std::string("\"COM4\"\r\n19200\r\n\"\"\r\n"));
        win->close();
        QCOMPARE(quits, 2);
    }

    void noticeOpensModalOverTheMainWindowWithItsWholeText() {
        // The window shows the program's notice whole, its paragraphs apart.
        const std::string expected = NoticeText();
        QVERIFY(expected.find("\r\n\r\n") != std::string::npos);
        Start();
        QString title, shown;
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            title = modal->windowTitle();
            owner = modal->parentWidget();
            shown = modal->findChild<QPlainTextEdit*>("Text1")->toPlainText();
            modal->close();
        });
        Action("Hinweis_menu")->trigger();  // returns when the notice window is closed
        QCOMPARE(title, QString("Hinweis"));
        QCOMPARE(owner, static_cast<QWidget*>(win.get()));
        QCOMPARE(shown, QString::fromStdString(expected).replace("\r\n", "\n"));
    }

    // --- options window ---

    void optionsOkStoresTheChoicesAndTheMainWindowShowsThem() {
        Start();
        OpenOptions();
        Click(Option("UpDevOpt", 0));
        QCOMPARE(BaudState(), QString("+-X-"));
        Click(Option("BdrtOpt", 0));
        // A device name longer than the boxes shows its end, and whole as a tooltip.
        const QString device = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
        auto* box = opt->findChild<PortNameBox*>("ComPortTxT");
        // A name with a control character keeps the window open with the name to correct.
        box->setText(device + "\x1b");
        Click(opt->findChild<QPushButton*>("OK_But"));
        QVERIFY(opt->isVisible() && boxes.shown.size() == 1);
        box->setText(device);
        Click(opt->findChild<QPushButton*>("OK_But"));
        QCOMPARE(settings.Interface, InterfaceKind::TandemoPort);
        QCOMPARE(settings.BaudRate, 9600L);
        QCOMPARE(settings.ComPort, ComPortSetting::Text(device.toStdString()));
        QVERIFY(!opt->isVisible() && TransferButtonsEnabled());
        QCOMPARE(Text("BdRtTxt"), QString("9600"));
        auto* label = win->findChild<QLabel*>("ComPortNrTxt");
        for (const auto& [shown, width, tip] :
             {std::tuple(box->shownText(), box->width(), box->toolTip()),
              std::tuple(label->text(), label->width(), label->toolTip())}) {
            QVERIFY2(shown.startsWith(u'…') && device.endsWith(shown.mid(1)) && shown.size() > 2,
                     qPrintable(shown));
            QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= width);
            QCOMPARE(tip, device);
        }
    }

    void optionsSuggestTheMachinesPortsAndStillTakeAnyTypedName() {
        Start();
        OpenOptions();
        opt->listPorts = [] {
            return std::vector<PortEntry>{
                {"/dev/ttyUSB0", "/dev/serial/by-id/usb-Maker_LocoNet-if00", "", "", {}, {}, {}},
                {"/dev/ttyS0", "", "", "", {}, {}, {}}};
        };
        opt->close();
        OpenOptions();  // the ports are looked up afresh each time the window opens
        auto* box = opt->findChild<PortNameBox*>("ComPortTxT");
        QCompleter* suggestions = box->completer();
        Click(box);
        QVERIFY(suggestions->popup()->isVisible());
        QCOMPARE(suggestions->completionCount(), 2);
        QVERIFY(suggestions->popup()->width() > box->width());
        box->clear();
        QTest::keyClicks(box, "loconet");
        QCOMPARE(suggestions->completionCount(), 1);
        box->clear();
        QTest::keyClicks(box, "/dev/ttyACM7");
        Click(opt->findChild<QPushButton*>("OK_But"));
        QCOMPARE(settings.ComPort, ComPortSetting::Text("/dev/ttyACM7"));
    }

    // The options window opens with the settings, beside the main window (not
    // modal) and with its transfer buttons locked; what is typed in it stays
    // while the user visits another program, and is discarded by the close box
    // or by a visit to the main window.
    void optionsOpenWithTheSettingsAndDiscardTheChoicesOnCloseOrAVisitToTheMainWindow() {
        Start("3\r\n19200\r\n\"\"\r\n");
        OpenOptions();
        QVERIFY(Option("UpDevOpt", 2)->isChecked() && !TransferButtonsEnabled());
        QVERIFY(opt->parentWidget() == nullptr && QApplication::activeModalWidget() == nullptr);
        QCOMPARE(BaudState(), QString("--x+"));  // the USB rule, then the stored rate
        auto* port = opt->findChild<QLineEdit*>("ComPortTxT");
        auto typeAhead = [&] {
            Click(Option("UpDevOpt", 0));
            Click(Option("BdrtOpt", 0));
            port->setText("/dev/ttyUSB1");
        };
        auto leaveTheProgramAndComeBackTo = [&](QWidget* w) {
            QWindowSystemInterface::handleWindowActivated(nullptr);
            QWindowSystemInterface::flushWindowSystemEvents();
            QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
            QWindowSystemInterface::handleWindowActivated(w->windowHandle());
            QVERIFY(QTest::qWaitForWindowActive(w));
        };
        // Back from another program, say a terminal: what was typed stays.
        typeAhead();
        leaveTheProgramAndComeBackTo(opt);
        QVERIFY(Option("UpDevOpt", 0)->isChecked());
        QCOMPARE(BaudState(), QString("X-+-"));
        QCOMPARE(port->text(), QString("/dev/ttyUSB1"));
        // Back to the main window first, then over to the options: the settings again.
        leaveTheProgramAndComeBackTo(win.get());
        opt->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(opt));
        QVERIFY(Option("UpDevOpt", 2)->isChecked());
        QCOMPARE(BaudState(), QString("--x+"));
        QCOMPARE(port->text(), QString("3"));
        // Opened again after the close box: the settings again, unchanged.
        typeAhead();
        opt->close();
        QVERIFY(TransferButtonsEnabled());
        QCOMPARE(settings.Interface, InterfaceKind::UsbInterface);
        QCOMPARE(settings.BaudRate, 19200L);
        OpenOptions();
        QCOMPARE(port->text(), QString("3"));
    }

    // --- the windows as drawn ---

    void everyWindowShowsItsControlsWholeAndApart() {
        Start();
        // The separator runs past the right edge; bar and percentage lie over
        // the bar's white background.
        QCOMPARE(LayoutFaults(*win, {"Line1", "ProzBalken", "ProzTxt"}).join(", "), QString());
        OpenOptions();
        opt->resize(opt->width(), opt->height() * 2);  // enlarged: every option in view
        QCOMPARE(LayoutFaults(*opt).join(", "), QString());
        FrmHinweis notice(win.get());
        notice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        QCOMPARE(LayoutFaults(notice).join(", "), QString());
        QVERIFY(NoticeTextFits(notice));
        // Enlarged, the text box grows with the window.
        auto* text = notice.findChild<QPlainTextEdit*>("Text1");
        const QSize margin = notice.size() - text->size();
        notice.resize(notice.size() * 3 / 2);
        QCOMPARE(notice.size() - text->size(), margin);
        QVERIFY(!win->windowIcon().pixmap(16).isNull() && !notice.windowIcon().pixmap(16).isNull());
    }

};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
