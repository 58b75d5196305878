// Payload between file form and wire form: bit 7 back from the high-bit bytes,
// the payload key on and off, and the order of the record in the data fields.
#include <gtest/gtest.h>

#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

RecordBuffer Record(std::initializer_list<int> bytes) {
    RecordBuffer r{};
    int j = 1;
    for (int b : bytes) r[j++] = static_cast<std::int16_t>(b);
    return r;
}

TEST(UnpackReply, HighBitBytesWithOnlyUpperBitsChangeNothing) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    for (int i = 0; i < 20; ++i) b.CmdData[i] = static_cast<std::int16_t>(i * 5);
    const std::int16_t high[5] = {0x70, 0x70, 0x40, 0x40, 0x00};
    std::copy(high, high + 5, b.CmdHigh);
    rig.device.UnpackReply();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(b.CmdData[i], i * 5) << i;
    EXPECT_EQ(b.CmdHigh[2], 0x40);
}

TEST(UnpackReply, EachHighBitRestoresBit7OfItsOwnField) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    for (int i = 0; i < 20; ++i) b.CmdData[i] = 0x11;
    b.CmdHigh[1] = 0x7F;  // all four of group 1
    b.CmdHigh[3] = 0x24;  // selector bits ignored; place 2 of group 3
    rig.device.UnpackReply();
    for (int i = 0; i < 20; ++i) {
        const bool set = (i >= 4 && i <= 7) || i == 14;
        EXPECT_EQ(b.CmdData[i], set ? 0x91 : 0x11) << i;
    }
}

TEST(ScramblePayload, RecordGoesIntoTheFieldsInWireOrder) {
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    b.CmdData[16] = 0x33;
    b.CmdData[19] = 0x44;
    rig.device.ScramblePayload(Record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    rig.device.DescramblePayload();
    const int expected[16] = {16, 15, 14, 13, 12, 11, 10, 9, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(b.CmdData[i], expected[i]) << i;
    // The block address fields are not part of the payload.
    EXPECT_EQ(b.CmdData[16], 0x33);
    EXPECT_EQ(b.CmdData[19], 0x44);
}

TEST(DataPacking, EveryByteValueSurvivesPackingAndUnpacking) {
    // Bytes with bit 7 set stay above 0x7F under the key, so packing must carry bit 7.
    DeviceRig rig;
    CommandBlock& b = rig.device.block();
    for (int v = 0; v < 256; ++v) {
        RecordBuffer r{};
        for (int j = 1; j <= 16; ++j) r[j] = static_cast<std::int16_t>((v + j * 17) & 0xFF);
        rig.device.ScramblePayload(r);
        const std::vector<std::int16_t> keyed(b.CmdData, b.CmdData + 16);
        rig.device.PackCommand();
        rig.device.UnpackReply();
        EXPECT_EQ(std::vector<std::int16_t>(b.CmdData, b.CmdData + 16), keyed) << v;
    }
}

}  // namespace
}  // namespace cv2::test
