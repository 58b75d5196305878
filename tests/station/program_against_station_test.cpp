// The program's own device commands against the simulated station over the
// LocoNet interfaces without USB (the backup tests run over USB): the
// bootloader dialogue with its confirmation, and the station's identity.
#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2::station::test {
namespace {

TEST(ProgramAgainstStation, BootloaderDialogueAndIdentityWithoutUsb) {
    for (int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        StationOptions station;
        station.identity = 2 * kind + 1;  // the spare bits of id1 set differently each time
        testing::StationRig rig(station);
        rig.settings.ComPort = ComPortSetting::Number(1);
        rig.settings.LocoNetIfFlag = kind != 0;
        rig.settings.UsbIfFlag = false;
        ASSERT_EQ(rig.link.OpenLink(), 0);
        StatusCode status = -1;
        rig.device.BootloaderStart(status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(rig.link.rx().BootConfirmed, 1);
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

}  // namespace
}  // namespace cv2::station::test
