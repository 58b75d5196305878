// The main window as a user meets it: what start-up shows, the menus, the file
// choice, the progress bar, and the end that writes the settings file even
// while a procedure is waiting.
#include "app/ui/main_win.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/ui/frm_hinweis.h"
#include "app/ui/twips.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial.h"
#include "platform/qt/qt_event_pump.h"

using namespace cv2;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class MainWinTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString settingsPath;
    FakeClock clock;
    std::unique_ptr<FakeSerial> comm1;
    FakeMessageBoxes boxes;
    FakeFileDialog fileDialog;
    Settings settings;
    int quits = 0;
    std::unique_ptr<MainWin> win;

    void Start(std::function<void()> quit = {}) {
        if (!quit) quit = [this] { ++quits; };
        win = std::make_unique<MainWin>(settings, *comm1, boxes, fileDialog,
                                        settingsPath.toStdString(), std::move(quit));
    }
    QString Text(const char* label) { return win->findChild<QLabel*>(label)->text(); }
    QPushButton* Button(const char* name) { return win->findChild<QPushButton*>(name); }
    QAction* Action(const char* name) { return win->findChild<QAction*>(name); }

private slots:
    void init() {
        settingsPath = dir.filePath("CV2_DF.INF");
        QFile::remove(settingsPath);
        comm1 = std::make_unique<FakeSerial>(clock);
        boxes = FakeMessageBoxes();
        fileDialog = FakeFileDialog();
        settings = Settings();
        quits = 0;
    }
    void cleanup() { win.reset(); }

    void startupShowsVersionSettingsAndEmptyBar() {
        WriteAll(settingsPath, "\"COM4\"\r\n19200\r\n\"\"\r\n");
        Start();
        QCOMPARE(win->windowTitle(), QString("CV2 Sicherung - Ver.: 1.0.0"));
        QCOMPARE(Text("ComPortNrTxt"), QString("COM4"));
        QCOMPARE(Text("BdRtTxt"), QString("19200"));
        QCOMPARE(Text("DF_FileTxt"), QString());
        QCOMPARE(Text("ComTxt"), QString("- "));
        QCOMPARE(Text("ProzTxt"), QString("0%"));
        QCOMPARE(win->findChild<QWidget*>("ProzBalken")->width(), 0);
        QVERIFY(Button("ReadDF_But")->isEnabled());
        QVERIFY(Button("WriteDF_But")->isEnabled());
    }

    void startupWithoutSettingsFileShowsDefaults() {
        Start();
        QCOMPARE(Text("ComPortNrTxt"), QString("3"));
        QCOMPARE(Text("BdRtTxt"), QString("115200"));
        QCOMPARE(InterfaceKind(settings), 2);
    }

    void menusOfferFileOptionsEndAndNotice() {
        Start();
        auto* datei = win->findChild<QMenu*>("Datei_menu");
        QVERIFY(datei);
        QStringList items;
        for (QAction* a : datei->actions()) items << a->text();
        QCOMPARE(items, (QStringList{"Datei", "Optionen", "Beenden"}));
        QStringList bar;
        for (QAction* a : win->menuBar()->actions()) bar << a->text();
        QCOMPARE(bar, (QStringList{"Datei", "Hinweis"}));
        // "Hinweis" is an entry of its own, not a menu to open.
        QVERIFY(Action("Hinweis_menu")->menu() == nullptr);
    }

    void noticeOpensModalOverTheMainWindowWithItsText() {
        Start();
        win->show();
        bool opened = false;
        QString title, shown;
        QWidget* owner = nullptr;
        bool windowModal = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            opened = true;
            title = modal->windowTitle();
            owner = modal->parentWidget();
            windowModal = modal->isModal();
            shown = modal->findChild<QPlainTextEdit*>("Text1")->toPlainText();
            modal->close();
        });
        // Returns only when the notice window is closed.
        Action("Hinweis_menu")->trigger();
        QVERIFY(opened);
        QCOMPARE(title, QString("Hinweis"));
        QCOMPARE(owner, static_cast<QWidget*>(win.get()));
        QVERIFY(windowModal);
        // Each CR LF shows as one line break: five paragraphs, one empty line between.
        QString expected = QString::fromStdString(NoticeText());
        expected.replace("\r\n", "\n");
        QCOMPARE(shown, expected);
        QCOMPARE(shown.split("\n\n").size(), 5);
    }

    void noticeTextIsExactWithCrLfBreaks() {
        // Five paragraphs, an empty line between them, CR LF line breaks, no
        // blank after the last sentence.
        // clang-format off
        const std::string expected =
            "Es wird nur die aktive (sichtbare) Datenbank auf dem PC gesichert. \r\n\r\n"
            "Sollen die aktive Datenbank und die Datenbank aus dem Kopierspeicher gesichert werden, so muss zunächst die Datensicherung für die aktive Datenbank durchgeführt werden. \r\n\r\n"
            "Nun in der Centrova 2 die aktive Datenbank gegen die Datenbank aus dem Kopierspeicher tauschen und erneut eine Datensicherung mit einem neuen Dateinamen durchführen. \r\n\r\n"
            "Durch das Übertragen einer Sicherungsdatei vom PC auf die CV-2 wird die aktive (sichtbare) Datenbank überschrieben. Soll auch die zweite Sicherungsdatei vom PC auf die CV-2 übertragen werden, so muss zunächst die zuerst übertragene Datenbank in den Kopierspeicher der CV-2 gelegt werden, bevor die zweite Sicherungsdatei übertragen wird. \r\n\r\n"
            "Es werden keine Sonderoptionen gesichert.";
        // clang-format on
        QCOMPARE(NoticeText(), expected);
        QCOMPARE(NoticeText().size(), std::size_t(807));
    }

    void fileChoiceShowsTheNameWithoutFolder() {
        Start();
        fileDialog.answers = {"/home/anna/Sicherung/lok.CDF", "C:\\Daten\\alt.CDF", "ohne.CDF"};
        Action("Load_menu")->trigger();
        QCOMPARE(settings.BackupFileName, std::string("/home/anna/Sicherung/lok.CDF"));
        QCOMPARE(Text("DF_FileTxt"), QString("lok.CDF"));
        Action("Load_menu")->trigger();
        QCOMPARE(Text("DF_FileTxt"), QString("alt.CDF"));
        Action("Load_menu")->trigger();
        QCOMPARE(Text("DF_FileTxt"), QString("ohne.CDF"));

        QCOMPARE(fileDialog.shown.size(), std::size_t(3));
        const auto& first = fileDialog.shown[0];
        QVERIFY(first.mode == FileDialogMode::Save);
        QCOMPARE(first.title, std::string("Sicherungsdatei speichern..."));
        QCOMPARE(first.preset, std::string());
        QCOMPARE(first.description, std::string("CV2 Datenflash (*.CDF)"));
        QCOMPARE(first.pattern, std::string("*.CDF"));
        // The dialog opens on the file in use.
        QCOMPARE(fileDialog.shown[1].preset, std::string("/home/anna/Sicherung/lok.CDF"));
    }

    void cancellingTheFileChoiceClearsTheFile() {
        Start();
        fileDialog.answers = {"/tmp/a.CDF", ""};
        Action("Load_menu")->trigger();
        Action("Load_menu")->trigger();
        QCOMPARE(settings.BackupFileName, std::string());
        QCOMPARE(Text("DF_FileTxt"), QString());
    }

    void progressBarFollowsTheRunAndEndsFull() {
        Start();
        Progress& progress = win->progress();
        progress.ResetProgress();
        progress.AddBytes(kProgressTotal / 2);
        QCOMPARE(Text("ProzTxt"), QString("50%"));
        auto* bar = win->findChild<QWidget*>("ProzBalken");
        auto* background = win->findChild<QWidget*>("ProzBalkenWeiss");
        QCOMPARE(bar->width(), TwipsX(*win, 3195.0 / 2));
        progress.CompleteProgress();
        QCOMPARE(bar->width(), background->width());
        QCOMPARE(Text("ProzTxt"), QString("100%"));
    }

    void buttonsAndDateiMenuFollowTheProcedureHost() {
        Start();
        win->DisableButtons();
        win->SetDateiMenuEnabled(false);
        QVERIFY(!Button("ReadDF_But")->isEnabled());
        QVERIFY(!Button("WriteDF_But")->isEnabled());
        QVERIFY(!win->findChild<QMenu*>("Datei_menu")->menuAction()->isEnabled());
        QVERIFY(Action("Hinweis_menu")->isEnabled());
        win->EnableButtons();
        win->SetDateiMenuEnabled(true);
        QVERIFY(Button("ReadDF_But")->isEnabled());
        QVERIFY(win->findChild<QMenu*>("Datei_menu")->menuAction()->isEnabled());
    }

    void closePortClosesOnlyAnOpenPort() {
        Start();
        win->ClosePort();
        QVERIFY(comm1->log.empty());
        comm1->SetPortOpen(true);
        win->ClosePort();
        QVERIFY(!comm1->PortOpen());
        QCOMPARE(comm1->log.back(), std::string("PortOpen=0"));
    }

    void transferButtonsRunTheirProcedureOnlyOnceAtATime() {
        Start();
        int reads = 0, writes = 0;
        win->onReadDF = [&] {
            ++reads;
            // A click that gets through while the backup waits starts nothing.
            Button("WriteDF_But")->click();
            Button("ReadDF_But")->click();
        };
        win->onWriteDF = [&] { ++writes; };
        Button("ReadDF_But")->click();
        QCOMPARE(reads, 1);
        QCOMPARE(writes, 0);
        Button("WriteDF_But")->click();
        QCOMPARE(writes, 1);
    }

    void endMenuWritesSettingsAndQuits() {
        WriteAll(settingsPath, "\"/dev/ttyUSB0\"\r\n115200\r\n\"\"\r\n");
        Start();
        settings.BackupFileName = "/tmp/x.CDF";
        Action("ende_menu")->trigger();
        QCOMPARE(quits, 1);
        QCOMPARE(ReadAll(settingsPath), QByteArray("\"/dev/ttyUSB0\"\r\n115200\r\n\"\"\r\n"));
    }

    void closeRequestWhileAProcedureWaitsWritesAndQuitsAtOnce() {
        QByteArray atQuit;
        bool runningAtQuit = false;
        Start([&] {
            ++quits;
            atQuit = ReadAll(settingsPath);
            runningAtQuit = win->ProcedureRunning();
        });
        settings.BaudRate = 16666;
        win->show();
        QtEventPump pump;
        int passes = 0;
        win->onReadDF = [&] {
            win->DisableButtons();
            // The window is asked to close while the procedure waits for a reply.
            QCoreApplication::postEvent(win.get(), new QCloseEvent);
            while (quits == 0 && passes < 1000) {
                pump.ProcessEvents();
                ++passes;
            }
        };
        Button("ReadDF_But")->click();
        QCOMPARE(quits, 1);
        QVERIFY(runningAtQuit);
        QCOMPARE(atQuit, QByteArray("3\r\n16666\r\n\"\"\r\n"));
        QVERIFY(passes < 1000);
    }

    void unwritableSettingsFileDoesNotStopTheEnd() {
        settingsPath = dir.filePath("missing-folder/CV2_DF.INF");
        Start();
        win->SaveSettingsAndQuit();
        QCOMPARE(quits, 1);
        QVERIFY(!QFile::exists(settingsPath));
    }
};

QTEST_MAIN(MainWinTest)
#include "main_win_test.moc"
