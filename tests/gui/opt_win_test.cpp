// The options window through its widgets: what an opening selects, the
// coupling of interface and baud rate, O.K. and the close box, and the
// re-selection each time the window becomes active again.
#include "app/ui/opt_win.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/ui/main_win.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial.h"

using namespace cv2;

class OptWinTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString settingsPath;
    FakeClock clock;
    std::unique_ptr<FakeSerial> comm1;
    FakeMessageBoxes boxes;
    FakeFileDialog fileDialog;
    Settings settings;
    std::unique_ptr<MainWin> win;
    OptWin* opt = nullptr;

    void Start(const QByteArray& settingsFile = {}) {
        QFile::remove(settingsPath);
        if (!settingsFile.isEmpty()) {
            QFile f(settingsPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(settingsFile);
        }
        win = std::make_unique<MainWin>(settings, *comm1, boxes, fileDialog,
                                        settingsPath.toStdString(), [] {});
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
    }
    void Open() {
        opt = win->ShowOptions();
        QVERIFY(QTest::qWaitForWindowActive(opt));
    }
    QRadioButton* Interface(int i) {
        return opt->findChild<QRadioButton*>(QString("UpDevOpt%1").arg(i));
    }
    QRadioButton* Baud(int i) { return opt->findChild<QRadioButton*>(QString("BdrtOpt%1").arg(i)); }
    QLineEdit* PortBox() { return opt->findChild<QLineEdit*>("ComPortTxT"); }
    QString Enabled() {
        QString s;
        for (int i = 0; i < 4; ++i) s += Baud(i)->isEnabled() ? '1' : '0';
        return s;
    }
    int CheckedBaud() {
        int found = -1;
        for (int i = 0; i < 4; ++i) {
            if (Baud(i)->isChecked()) {
                if (found != -1) return -2;  // two selected: never allowed
                found = i;
            }
        }
        return found;
    }
    bool MainButtonsEnabled() {
        return win->findChild<QPushButton*>("ReadDF_But")->isEnabled() &&
               win->findChild<QPushButton*>("WriteDF_But")->isEnabled();
    }
    bool MainButtonsDisabled() {
        return !win->findChild<QPushButton*>("ReadDF_But")->isEnabled() &&
               !win->findChild<QPushButton*>("WriteDF_But")->isEnabled();
    }

private slots:
    void init() {
        settingsPath = dir.filePath("CV2_DF.INF");
        comm1 = std::make_unique<FakeSerial>(clock);
        settings = Settings();
    }
    void cleanup() {
        win.reset();
        opt = nullptr;
    }

    void firstOpeningWithoutSettingsFile() {
        Start();
        Open();
        QCOMPARE(opt->windowTitle(), QString("Optionen"));
        QVERIFY(Interface(2)->isChecked());
        QVERIFY(!Interface(0)->isChecked() && !Interface(1)->isChecked());
        QCOMPARE(CheckedBaud(), 3);
        QCOMPARE(Enabled(), QString("0001"));
        QCOMPARE(PortBox()->text(), QString("3"));
        QVERIFY(MainButtonsDisabled());
        // Modeless and without owner: the main window keeps working.
        QVERIFY(opt->parentWidget() == nullptr);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void choosingAnInterfaceMovesTheBaudRate() {
        Start();
        Open();
        QTest::mouseClick(Interface(0), Qt::LeftButton);
        QCOMPARE(Enabled(), QString("1010"));
        QCOMPARE(CheckedBaud(), 2);  // 115200 -> 19200
        QTest::mouseClick(Baud(0), Qt::LeftButton);
        QCOMPARE(CheckedBaud(), 0);
        QTest::mouseClick(Interface(1), Qt::LeftButton);
        QVERIFY(Interface(1)->isChecked() && !Interface(0)->isChecked());
        QCOMPARE(Enabled(), QString("0111"));
        QCOMPARE(CheckedBaud(), 3);  // 9600 -> 115200
        QTest::mouseClick(Baud(2), Qt::LeftButton);
        QTest::mouseClick(Interface(1), Qt::LeftButton);
        QCOMPARE(CheckedBaud(), 2);  // 19200 stays
        // Clicking the selected baud option keeps it selected.
        QTest::mouseClick(Baud(2), Qt::LeftButton);
        QCOMPARE(CheckedBaud(), 2);
    }

    void okStoresTheChoicesAndShowsThemInTheMainWindow() {
        Start();
        Open();
        QTest::mouseClick(Interface(0), Qt::LeftButton);
        QTest::mouseClick(Baud(0), Qt::LeftButton);
        PortBox()->selectAll();
        QTest::keyClicks(PortBox(), "COM4");
        QTest::mouseClick(opt->findChild<QPushButton*>("OK_But"), Qt::LeftButton);
        QCOMPARE(InterfaceKind(settings), 0);
        QCOMPARE(settings.BaudRate, 9600L);
        QCOMPARE(settings.ComPort, ComPortSetting::Text("COM4"));
        QVERIFY(!opt->isVisible());
        QVERIFY(MainButtonsEnabled());
        QCOMPARE(win->findChild<QLabel*>("ComPortNrTxt")->text(), QString("COM4"));
        QCOMPARE(win->findChild<QLabel*>("BdRtTxt")->text(), QString("9600"));
        // The file is written only at the end, with the typed port in quotes.
        QVERIFY(!QFile::exists(settingsPath));
        win->SaveSettingsAndQuit();
        QFile f(settingsPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\"COM4\"\r\n9600\r\n\"\"\r\n"));
    }

    void closeBoxDiscardsChangesAndBringsTheButtonsBack() {
        Start("5\r\n115200\r\n\"\"\r\n");
        Open();
        QTest::mouseClick(Interface(1), Qt::LeftButton);
        QTest::mouseClick(Baud(1), Qt::LeftButton);
        PortBox()->setText("7");
        QVERIFY(MainButtonsDisabled());
        opt->close();
        QVERIFY(MainButtonsEnabled());
        QCOMPARE(InterfaceKind(settings), 2);
        QCOMPARE(settings.BaudRate, 115200L);
        QCOMPARE(settings.ComPort, ComPortSetting::Number(5));
    }

    void comingBackToTheWindowReselectsFromTheSettings() {
        Start();
        Open();
        QTest::mouseClick(Interface(0), Qt::LeftButton);
        QTest::mouseClick(Baud(0), Qt::LeftButton);
        PortBox()->setText("COM9");
        win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.get()));
        opt->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(opt));
        QVERIFY(Interface(2)->isChecked());
        QCOMPARE(CheckedBaud(), 3);
        QCOMPARE(PortBox()->text(), QString("3"));
        QVERIFY(MainButtonsDisabled());
    }

    void reopeningAfterOkShowsTheConfirmedChoices() {
        Start();
        Open();
        QTest::mouseClick(Interface(1), Qt::LeftButton);
        QTest::mouseClick(Baud(1), Qt::LeftButton);
        QTest::mouseClick(opt->findChild<QPushButton*>("OK_But"), Qt::LeftButton);
        Open();
        QVERIFY(Interface(1)->isChecked());
        QCOMPARE(CheckedBaud(), 1);
        QCOMPARE(Enabled(), QString("0111"));
        QCOMPARE(PortBox()->text(), QString("3"));
    }

    void usbInterfaceWithStored19200SelectsTheDisabledRate() {
        Start("3\r\n19200\r\n\"\"\r\n");
        Open();
        QVERIFY(Interface(2)->isChecked());
        QCOMPARE(CheckedBaud(), 2);
        QVERIFY(!Baud(2)->isEnabled());
        QTest::mouseClick(opt->findChild<QPushButton*>("OK_But"), Qt::LeftButton);
        QCOMPARE(settings.BaudRate, 19200L);
    }

    void closingDuringAProcedureLeavesTheButtonsDisabled() {
        Start();
        bool enabledAfterClose = true;
        win->onWriteDF = [&] {
            win->DisableButtons();
            Open();
            opt->close();
            enabledAfterClose = MainButtonsEnabled();
        };
        win->findChild<QPushButton*>("WriteDF_But")->click();
        QVERIFY(!enabledAfterClose);
    }
};

QTEST_MAIN(OptWinTest)
#include "opt_win_test.moc"
