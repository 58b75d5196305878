// The window program as a user runs it, offscreen, against cv2sim on a real
// pseudo-terminal: a click on the backup button with a file chosen in the save
// dialog must leave a file equal, byte for byte, to the simulator's memory dump;
// a restore of that file into a changed station must bring the content back.
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

#include "app/ui/program.h"
#include "platform/fake/fake_dialogs.h"

using namespace cv2;

class TransferEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QProcess sim;

    QString Path(const char* name) const { return dir.filePath(name); }

    // Starts cv2sim and writes a settings file naming its port.
    void StartSimulator(const QStringList& extra, const char* seed = "11") {
        sim.setProgram(CV2SIM_PATH);
        sim.setArguments(QStringList{"--speed", "instant", "--seed", seed, "--link", Path("port"),
                                     "--dump", Path("dump.CDF")} +
                         extra);
        sim.start();
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY(sim.waitForReadyRead(5000));  // first line: the port path
        QFile settings(Path("CV2_DF.INF"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("\"" + Path("port").toUtf8() + "\"\r\n115200\r\n\"\"\r\n");
    }

    // The window program as main() builds it, with the dialogs answered here.
    struct Window {
        FakeMessageBoxes boxes;
        FakeFileDialog fileDialog;
        std::unique_ptr<Program> program;
        MainWin& win() { return program->mainWin(); }
        QString Text(const char* label) { return win().findChild<QLabel*>(label)->text(); }
    };

    // Shows the window and clicks the button, the file dialog answering with
    // the file; returns when the run has ended.
    std::unique_ptr<Window> Click(const char* button, const char* file) {
        auto w = std::make_unique<Window>();
        w->fileDialog.answers.push_back(Path(file).toStdString());
        w->program = std::make_unique<Program>(w->boxes, w->fileDialog,
                                               Path("CV2_DF.INF").toStdString(), [] {});
        w->win().show();
        QTest::mouseClick(w->win().findChild<QPushButton*>(button), Qt::LeftButton);
        return w;
    }

    QByteArray ReadFile(const char* name) {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray StopSimulatorAndReadDump() {
        ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
        sim.waitForFinished(5000);
        return ReadFile("dump.CDF");
    }

    void CompleteBackupEqualsStationMemory() {
        StartSimulator({});
        auto w = Click("ReadDF_But", "sicherung.CDF");

        for (const auto& shown : w->boxes.shown) qWarning("box: %s", shown.text.c_str());
        QVERIFY(w->boxes.shown.empty());
        QCOMPARE(w->Text("ProzTxt"), QString("100%"));
        QVERIFY(w->Text("ComTxt").startsWith(" Zeit: ") && w->Text("ComTxt").endsWith(" min"));
        QVERIFY(w->win().findChild<QPushButton*>("ReadDF_But")->isEnabled());
        QVERIFY(!w->win().comm1().PortOpen());

        const QByteArray written = ReadFile("sicherung.CDF");
        QCOMPARE(written.size(), 574252);
        const QByteArray dump = StopSimulatorAndReadDump();
        QCOMPARE(dump.size(), 574252);
        QVERIFY(written == dump);
    }

private slots:
    void backupThenRestoreIntoAChangedStationBringsItBack() {
        CompleteBackupEqualsStationMemory();
        StartSimulator({}, "12");  // the same station with other content
        auto w = Click("WriteDF_But", "sicherung.CDF");

        QCOMPARE(w->boxes.shown.size(), size_t{1});  // the overwrite question only
        QCOMPARE(w->boxes.shown[0].title, std::string("CV-2 - Sicherung"));
        QCOMPARE(w->Text("ProzTxt"), QString("100%"));
        QVERIFY(w->Text("ComTxt").startsWith(" Zeit: "));
        QCOMPARE(w->Text("DF_FileTxt"), QString("sicherung.CDF"));
        QVERIFY(!w->win().comm1().PortOpen());
        QVERIFY(StopSimulatorAndReadDump() == ReadFile("sicherung.CDF"));
    }
};

QTEST_MAIN(TransferEndToEnd)
#include "transfer_e2e_test.moc"
