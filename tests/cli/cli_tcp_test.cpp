// cv2cli through a LocoNet server on the network: cv2sim's own (--tcp), and a
// server written apart from the program in front of cv2sim's serial line that
// confirms each message before or after its echo by turns, among other
// devices' messages. A server that stops mid-run ends the run with its name.
#include <gtest/gtest.h>

#include "tests/cli/cli_rig.h"

namespace cv2::testing {
namespace {

constexpr std::uint32_t kSeed = 5;

station::StationOptions Content(int identity = 0) {
    station::StationOptions options;
    options.seed = kSeed;
    options.identity = identity;
    return options;
}

// The LocoNet server in front of a simulator's serial line.
struct Bridge : Server {
    Bridge(const TempDir& dir, const Simulator& sim)
        : Server(dir, {"/usr/bin/python3", CV2_SOURCE_DIR "/tests/cli/loconet_tcp_bridge.py",
                       sim.port}) {}
};

TEST(CliOverTcp, BackupAndRestoreThroughServersInFrontOfABusyStation) {
    TempDir dir;
    {
        Simulator sim(dir, {"--seed", std::to_string(kSeed), "--traffic", "50"});
        Bridge bridge(dir, sim);
        ASSERT_TRUE(bridge.firstLine.starts_with("tcp://127.0.0.1:")) << bridge.firstLine;
        const CliRun run =
            RunCli(dir, "backup --trace t.txt --port " + bridge.firstLine + " a.CDF");
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(ReadAll(dir.File("a.CDF")) ==
                    station::CommandStation(Content()).ExpectedBackup());
        EXPECT_NE(run.out.find("Meldungen anderer LocoNet-Geräte"), std::string::npos) << run.out;
        const std::string trace = ReadText(dir.File("t.txt"));
        EXPECT_NE(trace.find("Server: bridge 1"), std::string::npos);
        EXPECT_NE(trace.find("1 fehlerhafte Zeile des LocoNet-Servers übergangen"),
                  std::string::npos);
        const CliRun info = RunCli(dir, "info --port " + bridge.firstLine);
        EXPECT_TRUE(info.out.starts_with("Schnittstelle: LocoNet über TCP an " + bridge.firstLine +
                                         ", Server: bridge 1\n"))
            << info.out;
        const CliRun json = RunCli(dir, "info --json --port " + bridge.firstLine);
        EXPECT_NE(json.out.find(R"("interface":"tcp",)"), std::string::npos) << json.out;
        EXPECT_NE(json.out.find(R"("baud":null,"server":"bridge 1",)"), std::string::npos);
    }
    // Onto another station, through the bridge and through cv2sim's own server,
    // as onto the same station over its serial line.
    std::vector<Bytes> memories;
    for (const std::string how : {"bridge", "--tcp", "serial"}) {
        SCOPED_TRACE(how);
        TempDir other;
        {
            std::vector<std::string> options = {"--identity", "1", "--dump", other.File("m.CDF")};
            if (how == "--tcp") options.insert(options.end(), {"--tcp", "0", "--sent-first"});
            Simulator sim(other, options);
            std::unique_ptr<Bridge> bridge;
            if (how == "bridge") bridge = std::make_unique<Bridge>(other, sim);
            const std::string port = bridge ? bridge->firstLine : sim.port;
            const CliRun run = RunCli(
                other, "restore --yes --other-station --port " + port + " " + dir.File("a.CDF"));
            EXPECT_EQ(run.code, 0) << run.err;
        }
        memories.push_back(ReadAll(other.File("m.CDF")));
    }
    EXPECT_TRUE(memories[0] == memories[2] && memories[1] == memories[2]);
    EXPECT_EQ(memories[2].size(), kBackupFileSize);
}

// The server stops in the middle of the locomotives, or is not there at all:
// exit 1, one message naming it and the reason, and the older file as it was.
TEST(CliOverTcp, AServerThatStopsOrIsNotThereEndsTheRunWithItsName) {
    TempDir dir;
    const Bytes previous(kBackupFileSize, 0x42);
    WriteAll(dir.File("f.CDF"), previous);
    Simulator sim(dir, {"--tcp", "0", "--speed", "wire"});
    const std::string server = sim.port.substr(6);
    const CliRun stopped = RunCli(dir, "backup --port " + sim.port + " f.CDF",
                                  " & pid=$!; until grep -q Lokdaten stderr; do sleep 0.05; done; "
                                  "kill " +
                                      std::to_string(sim.pid) + "; wait $pid");
    EXPECT_EQ(stopped.code, 1);
    EXPECT_NE(stopped.err.find("Die Verbindung zum LocoNet-Server " + server +
                               " ist abgebrochen: der Server hat die Verbindung beendet"),
              std::string::npos)
        << stopped.err;
    EXPECT_NE(stopped.err.find("(Status 210015)"), std::string::npos) << stopped.err;
    EXPECT_TRUE(ReadAll(dir.File("f.CDF")) == previous);
    EXPECT_FALSE(std::filesystem::exists(dir.File("f.CDF.tmp")));

    const CliRun absent = RunCli(dir, "info --port " + sim.port);
    EXPECT_EQ(absent.code, 1);
    EXPECT_NE(absent.err.find("Der LocoNet-Server " + server +
                              " ist nicht erreichbar: die Verbindung wurde abgewiesen"),
              std::string::npos)
        << absent.err;
}

}  // namespace
}  // namespace cv2::testing
