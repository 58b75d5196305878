// Backup and restore through a LocoNet server on the network: the same file
// and station memory as over a serial line, whether the server confirms a
// SEND before or after its echo, among other devices' messages; a server that
// cannot be reached, hangs up or refuses a message ends the run with one
// message naming it, and the earlier backup file stays whole.
#include <gtest/gtest.h>

#include "device/status.h"
#include "tests/app/backup_rig.h"
#include "tests/support/simulated_tcp_server.h"

namespace cv2 {
namespace {

using testing::BackupRig;
using testing::Bytes;

constexpr std::size_t kComplete = 574252;
constexpr const char* kServer = "tcp://127.0.0.1:4711";

station::StationOptions WithTraffic(int every, int identity = 0) {
    station::StationOptions options = testing::InstantStation();
    options.faults.traffic = every;
    options.identity = identity;
    return options;
}

// A rig whose port text names the server in front of the given station.
struct TcpRig : BackupRig {
    explicit TcpRig(station::StationOptions options = testing::InstantStation(),
                    bool sentBeforeEcho = false)
        : server(clock, socket, std::move(options), sentBeforeEcho) {
        settings.ComPort = ComPortSetting::Text(kServer);
    }
    station::SimulatedTcpServer server;
    double faultAt = clock.Now();
};

TEST(TcpLink, BackupAndRestoreOntoAnotherStationAsOverASerialLine) {
    for (const bool sentBeforeEcho : {false, true}) {
        SCOPED_TRACE(sentBeforeEcho);
        TcpRig rig(WithTraffic(50), sentBeforeEcho);
        EXPECT_EQ(rig.backup.Run().outcome, Outcome::Done);
        EXPECT_EQ(rig.socket.connectedTo, "127.0.0.1:4711");
        const Bytes file = testing::ReadAll(rig.path);
        EXPECT_TRUE(file == rig.server.ExpectedBackup());
        EXPECT_GT(rig.device.frames().tally().foreignFrames, 0);
        EXPECT_EQ(rig.serial.log.size(), 0u);

        // The same file onto another station, once over TCP and once over a serial line.
        TcpRig other(WithTraffic(50, 1), sentBeforeEcho);
        BackupRig serial(WithTraffic(0, 1));
        for (BackupRig* target : {static_cast<BackupRig*>(&other), &serial}) {
            testing::WriteAll(target->path, file);
            EXPECT_EQ(target->Restore(target->path).outcome, Outcome::Done);
        }
        EXPECT_TRUE(other.server.ExpectedBackup() == serial.sim.ExpectedBackup());
        EXPECT_EQ(other.device.frames().tally().repeats, 0);
    }
}

// At the n-th line the program writes, the server does this in place of its work.
void AtWrite(TcpRig& rig, int n, std::function<void()> act) {
    rig.socket.onWrite = [&rig, inner = rig.socket.onWrite, act, n,
                          count = 0](const std::string& text) mutable {
        if (++count == n) {
            rig.faultAt = rig.clock.Now();
            return act();
        }
        inner(text);
    };
}

TEST(TcpLink, AServerThatFailsEndsTheRunWithItsNameAndReason) {
    const struct {
        const char* what;
        std::function<void(TcpRig&)> fault;
        const char* text;  // a part of the message
        int detail;        // of the status; 1: the port could not be opened
        double seconds;    // the run ends at most this long after the fault
    } rows[] = {
        {"refused", [](TcpRig& r) { r.socket.refuse = "die Verbindung wurde abgewiesen (x)"; },
         "Der LocoNet-Server 127.0.0.1:4711 ist nicht erreichbar: die Verbindung wurde abgewiesen",
         1, 0.1},
        {"no answer", [](TcpRig& r) { r.socket.silent = true; },
         "Der LocoNet-Server 127.0.0.1:4711 ist nicht erreichbar: keine Antwort binnen 5 Sekunden",
         1, 5.1},
        {"hung up mid-run",
         [](TcpRig& r) { AtWrite(r, 100, [&r] { r.socket.HangUpAt(r.clock.Now()); }); },
         "Die Verbindung zum LocoNet-Server 127.0.0.1:4711 ist abgebrochen: der Server hat die "
         "Verbindung beendet",
         static_cast<int>(Detail::ServerBroken), 0.1},
        {"a message refused",
         [](TcpRig& r) {
             AtWrite(r, 50,
                     [&r] { r.socket.InjectAt(r.clock.Now(), "SENT ERROR LocoNet busy\r\n"); });
         },
         "Der LocoNet-Server 127.0.0.1:4711 konnte eine Nachricht nicht auf das LocoNet senden: "
         "LocoNet busy",
         static_cast<int>(Detail::ServerBroken), 0.1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TcpRig rig;
        testing::WriteAll(rig.path, Bytes(kComplete, 0x5A));
        row.fault(rig);
        const ProcedureResult result = rig.backup.Run();
        EXPECT_EQ(result.outcome, Outcome::Failed);
        EXPECT_LE(rig.clock.Now() - rig.faultAt, row.seconds);
        EXPECT_NE(result.message.find(row.text), std::string::npos) << result.message;
        EXPECT_EQ(DetailOf(result.status), row.detail);
        EXPECT_EQ(rig.boxes.shown.size(), 1u);
        EXPECT_TRUE(testing::ReadAll(rig.path) == Bytes(kComplete, 0x5A));
        EXPECT_FALSE(rig.ports.PortOpen());
    }
}

}  // namespace
}  // namespace cv2
