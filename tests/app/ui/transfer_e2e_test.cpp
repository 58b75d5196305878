// The window program as a user runs it, offscreen, against cv2sim on a real
// pseudo-terminal, both with keys of their own from a key file: a click on the
// backup button with a file chosen in the save dialog must leave a file equal,
// byte for byte, to the simulator's memory dump, also through a LocoNet server
// over TCP while other LocoNet devices talk and an answer is lost now and then; a restore of that
// file into a changed station must bring the content back; a SIGTERM in the middle of a backup ends
// it and the program in good order.
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>

#include "app/ui/program.h"
#include "device/key_file.h"
#include "platform/end_requests.h"
#include "platform/fake/fake_dialogs.h"
#include "tests/cli/cli_rig.h"

using namespace cv2;
using testing::Bytes;

class TransferEndToEnd : public QObject {
    Q_OBJECT

    testing::TempDir dir;
    std::unique_ptr<testing::Simulator> sim;

    std::string Path(const char* name) const { return dir.File(name); }

    // Starts cv2sim and writes a settings file naming its port, and the key file.
    // One still running from before ends first: on its way out it takes its
    // link away, which the new one would have by the same name.
    void StartSimulator(const char* seed, const char* speed = "instant",
                        const std::vector<std::string>& faults = {}) {
        sim.reset();
        const std::string keys =
            "ServiceKey = 11 22 33 44 55 66 77 08\n"
            "PayloadKey = 01 12 23 34 45 56 67 78 09 1A 2B 3C 4D 5E 6F 70\n";
        testing::WriteText(Path("keys"), keys);
        std::vector<std::string> options{"--seed",  seed,  "--dump", Path("dump.CDF"),
                                         "--speed", speed, "--keys", Path("keys")};
        options.insert(options.end(), faults.begin(), faults.end());
        sim = std::make_unique<testing::Simulator>(dir, options);
        const std::string settings = "\"" + sim->port + "\"\r\n115200\r\n\"\"\r\n";
        testing::WriteAll(Path("CV2_DF.INF"), Bytes(settings.begin(), settings.end()));
    }

    // cv2sim writes its memory on the way out.
    Bytes StopSimulatorAndReadDump() {
        sim.reset();
        return testing::ReadAll(Path("dump.CDF"));
    }

    // The window program as main() builds it, with the dialogs answered here.
    struct Window {
        FakeMessageBoxes boxes;
        FakeFileDialog fileDialog;
        std::unique_ptr<Program> program;
        bool ended = false;
        bool portOpenAtEnd = false;
        MainWin& win() { return program->mainWin(); }
        QString Text(const char* label) { return win().findChild<QLabel*>(label)->text(); }
    };

    // Shows the window and clicks the button, the file dialog answering with
    // the file; returns when the run has ended.
    // before runs once the window shows.
    std::unique_ptr<Window> Click(const char* button, const char* file,
                                  const std::function<void(Window&)>& before = nullptr) {
        auto w = std::make_unique<Window>();
        w->fileDialog.answers.push_back(Path(file));
        const KeySource keys = LoadKeys(Path("keys"));
        if (!keys.ok() || keys.keys == kBuiltInKeys) qFatal("%s", keys.error.c_str());
        Window* raw = w.get();
        w->program = std::make_unique<Program>(
            w->boxes, w->fileDialog, Path("CV2_DF.INF"), keys.keys, [raw] {
                raw->ended = true;
                raw->portOpenAtEnd |= raw->program->link().comm().PortOpen();
            });
        w->win().show();
        if (before) before(*w);
        QTest::mouseClick(w->win().findChild<QPushButton*>(button), Qt::LeftButton);
        return w;
    }

    void CompleteBackupEqualsStationMemory() {
        // Through cv2sim's LocoNet server: the settings name tcp://127.0.0.1:PORT.
        StartSimulator("11", "instant",
                       {"--traffic", "50", "--lose-answer", "20000", "--tcp", "0"});
        auto w = Click("ReadDF_But", "sicherung.CDF");

        for (const auto& shown : w->boxes.shown) qWarning("box: %s", shown.text.c_str());
        QVERIFY(w->boxes.shown.empty());
        QCOMPARE(w->Text("ProzTxt"), QString("100%"));
        QVERIFY(w->Text("ComTxt").startsWith(" Zeit: ") && w->Text("ComTxt").endsWith(" min"));
        QVERIFY(w->win().findChild<QPushButton*>("ReadDF_But")->isEnabled());
        QVERIFY(!w->program->link().comm().PortOpen());

        const Bytes written = testing::ReadAll(Path("sicherung.CDF"));
        QCOMPARE(written.size(), std::size_t{574252});
        QVERIFY(written == StopSimulatorAndReadDump());
    }

private slots:
    void backupThenRestoreIntoAChangedStationBringsItBack() {
        CompleteBackupEqualsStationMemory();
        StartSimulator("12");  // the same station with other content
        auto w = Click("WriteDF_But", "sicherung.CDF");

        QCOMPARE(w->boxes.shown.size(), size_t{1});  // the overwrite question only
        QCOMPARE(w->Text("DF_FileTxt"), QString("sicherung.CDF"));
        QVERIFY(!w->program->link().comm().PortOpen());
        QVERIFY(StopSimulatorAndReadDump() == testing::ReadAll(Path("sicherung.CDF")));
    }

    // The system ends the program (logout, shutdown) while a backup runs: the
    // run ends through its own course, the settings are saved, the port is
    // closed, and the older backup is as it was.
    void sigtermEndsABackupAndTheProgramInGoodOrder() {
        StartSimulator("13", "wire");
        const Bytes previous(574252, 0x5C);
        testing::WriteAll(Path("alt.CDF"), previous);
        auto w = Click("ReadDF_But", "alt.CDF", [this](Window& w) {
            std::filesystem::remove(Path("CV2_DF.INF"));  // read at the start; written at the end
            WatchEndRequests("cv2sicherung", w.program->link().cancellation(),
                             [&w] { w.program->EndRequested(); });
            QTimer::singleShot(1500, [] { std::raise(SIGTERM); });
        });
        StopWatchingEndRequests();

        QVERIFY(w->ended && !w->portOpenAtEnd);  // ended after the run, not in its middle
        QVERIFY(w->boxes.shown.empty());
        QVERIFY(!w->program->link().comm().PortOpen());
        QVERIFY(std::filesystem::exists(Path("CV2_DF.INF")));
        QVERIFY(testing::ReadAll(Path("alt.CDF")) == previous);
        QVERIFY(!std::filesystem::exists(Path("alt.CDF.tmp")));
    }

    // The session ends: while idle, the settings are saved and the program
    // ends at once; during a backup, the run is cancelled and the program ends
    // once it is over.
    void anEndRequestEndsAtOnceWhenIdleAndAfterTheRunOtherwise() {
        StartSimulator("14", "wire");
        bool endedAtOnce = false, settingsSaved = false;
        Click("ReadDF_But", "leer.CDF", [&](Window& w) {
            std::filesystem::remove(Path("CV2_DF.INF"));
            w.program->EndRequested();
            endedAtOnce = w.ended;
            settingsSaved = std::filesystem::exists(Path("CV2_DF.INF"));
        });
        QVERIFY(endedAtOnce && settingsSaved);

        auto w = Click("ReadDF_But", "mitten.CDF", [](Window& w) {
            QTimer::singleShot(1500, [&w] { w.program->EndRequested(); });
        });
        QVERIFY(w->ended && !w->portOpenAtEnd);
        QVERIFY(!std::filesystem::exists(Path("mitten.CDF")));
    }
};

QTEST_MAIN(TransferEndToEnd)
#include "transfer_e2e_test.moc"
