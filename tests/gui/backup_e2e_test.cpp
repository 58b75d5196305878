// The window program as a user runs it, offscreen, against cv2sim on a real
// pseudo-terminal: a click on the backup button with a file chosen in the save
// dialog must leave a file equal, byte for byte, to the simulator's memory dump.
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "app/ui/program.h"
#include "platform/fake/fake_dialogs.h"

using namespace cv2;

class BackupEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QProcess sim;

    QString Path(const char* name) const { return dir.filePath(name); }

    // Starts cv2sim and writes a settings file naming its port.
    void StartSimulator(const QStringList& extra) {
        sim.setProgram(CV2SIM_PATH);
        sim.setArguments(QStringList{"--speed", "instant", "--seed", "11", "--link", Path("port"),
                                     "--dump", Path("dump.CDF")} +
                         extra);
        sim.start();
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY(sim.waitForReadyRead(5000));  // first line: the port path
        QFile settings(Path("CV2_DF.INF"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("\"" + Path("port").toUtf8() + "\"\r\n115200\r\n\"\"\r\n");
    }

    QByteArray StopSimulatorAndReadDump() {
        ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
        sim.waitForFinished(5000);
        QFile dump(Path("dump.CDF"));
        return dump.open(QIODevice::ReadOnly) ? dump.readAll() : QByteArray();
    }

private slots:
    void completeBackupEqualsStationMemory() {
        StartSimulator({});
        FakeMessageBoxes boxes;
        FakeFileDialog fileDialog;
        fileDialog.answers.push_back(Path("sicherung.CDF").toStdString());
        Program program(boxes, fileDialog, Path("CV2_DF.INF").toStdString(), [] {});
        MainWin& win = program.mainWin();
        win.show();

        auto* button = win.findChild<QPushButton*>("ReadDF_But");
        QTest::mouseClick(button, Qt::LeftButton);  // returns when the backup has ended

        for (const auto& shown : boxes.shown) qWarning("box: %s", shown.text.c_str());
        QVERIFY(boxes.shown.empty());
        QCOMPARE(win.findChild<QLabel*>("ProzTxt")->text(), QString("100%"));
        QVERIFY(win.findChild<QLabel*>("ComTxt")->text().startsWith(" Zeit: "));
        QVERIFY(win.findChild<QLabel*>("ComTxt")->text().endsWith(" min"));
        QVERIFY(button->isEnabled());
        QVERIFY(!program.mainWin().comm1().PortOpen());

        QFile backup(Path("sicherung.CDF"));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        const QByteArray written = backup.readAll();
        QCOMPARE(written.size(), 574252);
        const QByteArray dump = StopSimulatorAndReadDump();
        QCOMPARE(dump.size(), 574252);
        QVERIFY(written == dump);
    }

    void silentModuleShowsTheFailureBoxAndLeavesTheWindowReady() {
        StartSimulator({"--silent-fs"});
        FakeMessageBoxes boxes;
        FakeFileDialog fileDialog;
        fileDialog.answers.push_back(Path("fehler.CDF").toStdString());
        Program program(boxes, fileDialog, Path("CV2_DF.INF").toStdString(), [] {});
        MainWin& win = program.mainWin();
        win.show();

        QTest::mouseClick(win.findChild<QPushButton*>("ReadDF_But"), Qt::LeftButton);

        QCOMPARE(boxes.shown.size(), size_t{1});
        QCOMPARE(boxes.shown[0].title, std::string("Fehler beim Speichern der Datenbank"));
        QCOMPARE(boxes.shown[0].text, ErrorText(300031));
        QCOMPARE(win.findChild<QLabel*>("ComTxt")->text(), QString(" Fahrstraßen"));
        QVERIFY(win.findChild<QPushButton*>("WriteDF_But")->isEnabled());
        QVERIFY(!program.mainWin().comm1().PortOpen());
        StopSimulatorAndReadDump();
    }
};

QTEST_MAIN(BackupEndToEnd)
#include "backup_e2e_test.moc"
