// The program's own link and device commands against the simulated station on
// the fake serial port and clock: the replies the station gives are the ones
// the program accepts, at every interface kind and at wire speed.
#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2::station::test {
namespace {

// The transfer tests' rig, at the given speed and interface kind.
struct Rig : testing::StationRig {
    explicit Rig(StationOptions options = {}, int kind = 2) : StationRig(std::move(options)) {
        settings.ComPort = ComPortSetting::Number(1);
        settings.LocoNetIfFlag = kind != 0;
        settings.UsbIfFlag = kind == 2;
    }
};

TEST(ProgramAgainstStation, StartsTheBootloaderReadsTheSerialAndEnds) {
    for (int kind : {0, 1, 2}) {
        StationOptions station;
        station.identity = 2 * kind + 1;  // the spare bits of id1 set differently each time
        Rig rig(station, kind);
        ASSERT_EQ(rig.link.OpenLink(), 0) << "kind " << kind;
        StatusCode status = -1;
        rig.device.BootloaderStart(status);
        EXPECT_EQ(status, 0) << "kind " << kind;
        EXPECT_EQ(rig.link.rx().BootConfirmed, 1);
        rig.device.DisplayText("Datenbank lesen", status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(rig.sim.station().display(), "Datenbank lesen");
        double serial = 0;
        std::int16_t id3 = 0, id2 = 0, id1 = 0, id0 = 0;
        rig.device.ReadSerialNumber(serial, id3, id2, id1, id0, status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(serial, rig.sim.memory().Serial());
        const auto id = rig.sim.memory().IdentityBytes();
        EXPECT_EQ((std::array<int, 4>{id3, id2, id1, id0}),
                  (std::array<int, 4>{id[0], id[1], id[2], id[3]}));
        rig.device.BootloaderEnd(status);
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(rig.sim.station().bootloaderActive());
    }
}

TEST(ProgramAgainstStation, APageWrittenByTheProgramReadsBackTheSame) {
    Rig rig;
    ASSERT_EQ(rig.link.OpenLink(), 0);
    StatusCode status = 0;
    for (int k = 0; k < 32; ++k) {
        RecordBuffer record{};
        for (int i = 1; i <= 16; ++i)
            record[i] = static_cast<std::int16_t>((k * 37 + i * 11) & 0xFF);
        rig.device.WriteBlock(static_cast<std::int16_t>(16 * k), record, status);
        ASSERT_EQ(status, 0);
    }
    rig.device.DataFlashWrite(6700, status);
    ASSERT_EQ(status, 0);
    rig.device.DataFlashRead(6144, status);
    rig.device.DataFlashRead(6700, status);
    ASSERT_EQ(status, 0);
    for (int k = 0; k < 32; ++k) {
        rig.device.ReadBlock(static_cast<std::int16_t>(16 * k), status);
        ASSERT_EQ(status, 0);
        const auto& d = rig.device.block().CmdData;
        // Record order: fields 8..15, then 7 down to 0.
        for (int i = 1; i <= 16; ++i) {
            const int field = i <= 8 ? 7 + i : 16 - i;
            EXPECT_EQ(d[field], (k * 37 + i * 11) & 0xFF) << k << "/" << i;
        }
    }
}

TEST(ProgramAgainstStation, ACommandTakesItsWireTime) {
    Rig rig;
    ASSERT_EQ(rig.link.OpenLink(), 0);
    StatusCode status = 0;
    const double start = rig.clock.Now();
    rig.device.ReadBlock(0, status);
    EXPECT_EQ(status, 0);
    // The command (seen again as its echo) and the reply: 62 bytes on LocoNet at
    // 16,666 bit/s, plus the USB line and the station's turnaround.
    const double took = rig.clock.Now() - start;
    EXPECT_GT(took, 62 * 10.0 / 16666);
    EXPECT_LT(took, 62 * 10.0 / 16666 + 0.010);
}

TEST(ProgramAgainstStation, AStationWithAnotherKeyRefusesTheSerialNumberRead) {
    StationOptions other;
    other.serviceKey[2] ^= 0x40;
    Rig wrongKey(other);
    ASSERT_EQ(wrongKey.link.OpenLink(), 0);
    StatusCode status = 0;
    double serial = 0;
    std::int16_t a, b, c, d;
    wrongKey.device.ReadSerialNumber(serial, a, b, c, d, status);
    EXPECT_EQ(status, 101011);
}

}  // namespace
}  // namespace cv2::station::test
