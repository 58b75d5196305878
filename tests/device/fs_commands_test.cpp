// The FS module's commands against the simulated station's module: request
// bytes, retries and their time limits, and the failure codes.
#include "device/fs_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using station::Request;
using testing::Bytes;

class FsCommandsTest : public ::testing::Test, protected testing::StationRig {
protected:
    FsCommandsTest() { OpenPort(); }
    // The next `count` read requests reach the module asking for the entry
    // after the one the program named, so the reply echoes another entry.
    void AskForTheNextEntry(int count) {
        serial.onOutput = [this, count, station = serial.onOutput](std::string bytes) mutable {
            if (count > 0 && bytes.size() == 15 && static_cast<unsigned char>(bytes[0]) == 0xED &&
                bytes[5] == 0x21 && bytes[13] == 0 && (bytes[6] & 0x40) == 0) {
                --count;
                const char old = bytes[9];
                bytes[9] = static_cast<char>(old + 1);
                bytes[14] = static_cast<char>(bytes[14] ^ old ^ bytes[9]);
            }
            station(bytes);
        };
    }
    StatusCode Status = -1;
    std::int32_t K = 65535, v = 0;
};

TEST_F(FsCommandsTest, ProgrammingOnGoesOutEncodedAndBringsTheModulesKey) {
    FsProgOn(device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(K, memory().fsKey);
    ASSERT_EQ(serial.writes.size(), 1u);
    EXPECT_EQ(Bytes(serial.writes[0].begin(), serial.writes[0].end()),
              (Bytes{0xED, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x71, 0x0D, 0x19, 0x00, 0x00, 0x7F, 0x7F,
                     0x00, 0x54}));
    // Programming off with that key leaves programming mode again.
    FsProgOff(device, 6541, K, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_FALSE(station().fsProgramming());
}

TEST_F(FsCommandsTest, AReplyForAnotherEntryIsNoReply) {
    memory().SetFsEntry(1000, 0xFFFF);
    FsProgOn(device, 6541, K, Status);
    AskForTheNextEntry(1);
    FsReadEntry(device, 6541, 1000, v, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 2);

    AskForTheNextEntry(100);
    FsReadEntry(device, 6541, 1000, v, Status);
    EXPECT_EQ(Status, 310031);
    EXPECT_EQ(station().Count(Request::FsReadEntry), 12);
}

// One FS exchange with fixed arguments.
using FsCall = void (*)(Device&, StatusCode&);

TEST(FsCommandFailures, CodeAttemptsAndTimeOfEachFailure) {
    const FsCall on = [](Device& d, StatusCode& s) {
        std::int32_t k = 65535;
        FsProgOn(d, 6541, k, s);
    };
    const FsCall read = [](Device& d, StatusCode& s) {
        std::int32_t v = 0;
        FsReadEntry(d, 6541, 5, v, s);
    };
    const FsCall write = [](Device& d, StatusCode& s) { FsWriteEntry(d, 6541, 5, 1, s); };
    const FsCall off = [](Device& d, StatusCode& s) { FsProgOff(d, 6541, 0x1234, s); };
    using Rig = testing::StationRig;
    const auto silent = [](Rig& r) { r.station().options().faults.silentFsModule = true; };
    const auto failSend = [](Rig& r) { r.serial.failOutput = true; };
    const auto refuse = [](Rig& r) { r.station().options().faults.refuseWrite = 1; };
    const auto noEcho = [](Rig& r) { r.station().options().faults.missingEcho = true; };
    // The send fails, yet the frame's echo comes in.
    const auto failSendFrameComes = [](Rig& r) {
        r.serial.failOutput = true;
        r.serial.InjectAt(r.clock.Now() + 0.1, std::string("\xE5\x0F\x08\x05\x00\x21\x01\x0D\x19"
                                                           "\x00\x00\x34\x12\x40\x4A",
                                                           15));
    };
    // The interface has shown that it echoes nothing: the module was switched on
    // without an echo, so programming off has no echo to wait for.
    const auto knownNoEcho = [](Rig& r) {
        r.station().options().faults.missingEcho = true;
        std::int32_t key = kFsNoKey;
        StatusCode s = 0;
        FsProgOn(r.device, kFsModuleAddress, key, s);
    };
    struct Row {
        FsCall call;
        void (*fault)(Rig&);
        Request request;
        int requests;  // that reached the module
        StatusCode status;
        double from, to;  // seconds taken
    };
    constexpr double kMore = 1e-9;
    const Row rows[] = {
        {on, silent, Request::FsProgOn, 10, 300031, 2.0 + kMore, 2.05},
        {read, silent, Request::FsReadEntry, 10, 310031, 5.0 + kMore, 5.05},
        {write, silent, Request::FsWriteEntry, 10, 320031, 5.0 + kMore, 5.05},
        {write, refuse, Request::FsWriteEntry, 1, 320032, 0.0, 0.05},  // no retry
        {on, failSend, Request::FsProgOn, 0, 301012, 0.0, 0.01},
        {read, failSend, Request::FsReadEntry, 0, 1012, 0.0, 0.01},
        {write, failSend, Request::FsWriteEntry, 0, 1012, 0.0, 0.01},
        {off, noEcho, Request::FsProgOff, 1, 330013, 3.0 + kMore, 3.05},
        {off, knownNoEcho, Request::FsProgOff, 1, 0, 0.0, 0.01},
        {off, failSendFrameComes, Request::FsProgOff, 0, 331012, 0.1, 0.15},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const Row& row = rows[i];
        Rig rig;
        rig.OpenPort();
        row.fault(rig);
        const double start = rig.clock.Now();
        StatusCode status = -1;
        row.call(rig.device, status);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(rig.station().Count(row.request), row.requests);
        EXPECT_GE(rig.clock.Now() - start, row.from);
        EXPECT_LT(rig.clock.Now() - start, row.to);
    }
}

}  // namespace
}  // namespace cv2
