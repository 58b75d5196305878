// The device commands against a scripted station: the frames they send (with
// display texts in the station's single-byte code page), the answers they
// accept, and the status each leaves.
#include <gtest/gtest.h>

#include "device/latin1_text.h"
#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

// The command frame of the given fields (0..255) and selectors A, B, C.
std::string CommandFrame(std::vector<int> fields, int selA, int selB, int selC) {
    return GroupFrame(Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52}), std::move(fields),
                      {0x70, 0x70, selA << 4, selB << 4, selC << 4});
}

// The record 0xF0..0xFF at offset 0x0130 as WriteBlock sends it: keyed, the
// second half first and reversed.
std::string WriteBlockFrame() {
    std::vector<int> f(20);
    for (int i = 0; i < 8; ++i) {
        f[i] = (0xFF - i) ^ kBuiltInKeys.PayloadKey[i];
        f[8 + i] = (0xF0 + i) ^ kBuiltInKeys.PayloadKey[8 + i];
    }
    f[16] = 0x30;
    f[17] = 0x01;
    return CommandFrame(f, 4, 2, 0);
}

TEST(CommandFrames, FrameOfEachCommand) {
    const std::pair<Command, std::string> cases[] = {
        {[](Device& d, StatusCode& s) {
             d.PackCommand();
             d.SendCommand(s);
         },  // all fields zero
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D})},
        {[](Device& d, StatusCode& s) { d.ReadBlock(0x20, s); },
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x2D})},
        {[](Device& d, StatusCode& s) { d.DisplayClear(s); },
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2D})},
        {[](Device& d, StatusCode& s) { d.SamFlashWrite(0x0123, s); },
         CommandFrame(WithServiceKey({0x5A, 0x08, 0x23, 0x01, 0x5B, 0, 0, 0x01}), 3, 3, 0)},
        {[](Device& d, StatusCode& s) { d.DataFlashRead(0x0123, s); },
         CommandFrame(WithServiceKey({0x45, 0x0A, 0x23, 0x01, 0, 0, 0, 0}), 3, 3, 0)},
        {[](Device& d, StatusCode& s) { d.DataFlashWrite(0x0105, s); },
         CommandFrame(WithServiceKey({0xDF, 0x0A, 0x05, 0x01, 0, 0, 0, 0}), 3, 3, 0)},
        {[](Device& d, StatusCode& s) { d.DisplayCursor(10, 50, s); },
         CommandFrame({0x0A, 0x00, 0x32, 0x32}, 3, 1, 1)},
        {[](Device& d, StatusCode& s) { d.DisplayText("Datenbank lesen", s); },
         CommandFrame(Codes("Datenbank lesen"), 3, 1, 3)},
        // Umlauts in Latin-1, the euro sign as '?', cut after 20 characters.
        {[](Device& d, StatusCode& s) { d.DisplayText("Größe € über 1234567890", s); },
         CommandFrame({'G', 'r', 0xF6, 0xDF, 'e', ' ', '?', ' ', 0xFC, 'b',
                       'e', 'r', ' ',  '1',  '2', '3', '4', '5', '6',  '7'},
                      3, 1, 3)},
        {[](Device& d, StatusCode& s) {
             RecordBuffer r{};
             for (int j = 1; j <= 16; ++j) r[j] = static_cast<std::int16_t>(0xF0 + j - 1);
             d.WriteBlock(0x0130, r, s);
         },
         WriteBlockFrame()},
        // Written out byte for byte with the built-in service key.
        {[](Device& d, StatusCode& s) { d.SamFlashRead(0x0185, s); },
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x74, 0x00, 0x08, 0x05, 0x01, 0x70,
                0x5A, 0x00, 0x00, 0x00, 0x30, 0x4E, 0x17, 0x63, 0x2A, 0x30, 0x08,
                0x75, 0x39, 0x5F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54})},
        {[](Device& d, StatusCode& s) { d.BootloaderStart(s); },
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x7F, 0x7F, 0x7F, 0x70,
                0x00, 0x00, 0x00, 0x00, 0x30, 0x4E, 0x17, 0x63, 0x2A, 0x70, 0x08,
                0x75, 0x39, 0x5F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x39})},
        {[](Device& d, StatusCode& s) { d.BootloaderEnd(s); },
         Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x20, 0x7F, 0x7F, 0x7F, 0x70,
                0x00, 0x00, 0x00, 0x00, 0x30, 0x4E, 0x17, 0x63, 0x2A, 0x00, 0x08,
                0x75, 0x39, 0x5F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x69})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        DeviceRig rig;
        rig.Run(cases[i].first);
        EXPECT_EQ(Codes(rig.serial.writes.at(0)), Codes(cases[i].second));
    }
}

TEST(Utf8ToLatin1, CodesUpToFFKeptEverythingElseOneQuestionMarkEach) {
    // \x61 is 'a' and \x62 is 'b'.
    const std::pair<const char*, const char*> cases[] = {
        {"\xC3\xA4\xC3\x9F\xC2\xA0\xC3\xBF", "\xE4\xDF\xA0\xFF"},
        {"\xF0\x9F\x9A\x82!", "?!"},  // four-byte character
        {"\xC4\x80", "?"},            // U+0100, the first beyond
        {"\x61\x80\x80\x62", "a?b"},  // stray continuation bytes
        {"\x61\xC3", "a?"},           // cut off at the end
        {"\xC3\x61", "?a"},           // lead without continuation
        {"\xC1\x81", "?"},            // overlong form of 'A'
        {"\xE0\x81\x81", "?"},        // the same in three bytes
        {"\xFF\x61", "?a"},           // never a lead byte
    };
    for (const auto& [utf8, latin1] : cases) EXPECT_EQ(Utf8ToLatin1(utf8), latin1) << utf8;
}

// A command whose send fails while the station's answers arrive anyway.
StatusCode RunWithFailedSend(Command send, const std::string& arriving) {
    DeviceRig rig;
    rig.serial.failOutput = true;
    rig.serial.InjectAt(rig.clock.Now() + 0.1, arriving);
    return rig.Run(send);
}

TEST(AcknowledgedCommands, AcceptOnlyB46D7FAndPassTimeOutAndSendFailureUnchanged) {
    const std::pair<Command, StatusCode> commands[] = {
        {[](Device& d, StatusCode& s) { d.SamFlashRead(7, s); }, 1211},
        {[](Device& d, StatusCode& s) { d.SamFlashWrite(7, s); }, 1111},
        {[](Device& d, StatusCode& s) { d.DataFlashRead(7, s); }, 1311},
        {[](Device& d, StatusCode& s) { d.DataFlashWrite(7, s); }, 1411},
        {[](Device& d, StatusCode& s) { d.WriteBlock(16, RecordBuffer{}, s); }, 1611},
    };
    for (const auto& [send, refused] : commands) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(DeviceRig().Run(send, {LongAck(0x7F)}), 0);
        // Other codes and a data reply answer, and refuse.
        for (const std::string& reply : {LongAck(0x00), LongAck(0x01), KeyedDataReply({})}) {
            EXPECT_EQ(DeviceRig().Run(send, {reply}), refused);
        }
        // Another opcode and the acknowledge of another command are other devices'
        // messages: no answer, to the repeat either.
        for (const std::string& reply :
             {WithChecksum(Bytes({0xB5, 0x6D, 0x7F})), WithChecksum(Bytes({0xB4, 0x6E, 0x7F}))}) {
            EXPECT_EQ(DeviceRig().Run(send, {reply, reply}), 13);
        }
        EXPECT_EQ(DeviceRig().Run(send, {}), 13);
        EXPECT_EQ(RunWithFailedSend(send, LongAck(0x7F) + LongAck(0x7F)), 1012);
    }
}

TEST(OtherCommands, StatusForEachAnswer) {
    const Command start = [](Device& d, StatusCode& s) { d.BootloaderStart(s); };
    const Command end = [](Device& d, StatusCode& s) { d.BootloaderEnd(s); };
    const Command readBlock = [](Device& d, StatusCode& s) { d.ReadBlock(0, s); };
    const Command clear = [](Device& d, StatusCode& s) { d.DisplayClear(s); };
    const Command cursor = [](Device& d, StatusCode& s) { d.DisplayCursor(10, 50, s); };
    const Command text = [](Device& d, StatusCode& s) { d.DisplayText("Datenbank lesen", s); };
    const Command serial = [](Device& d, StatusCode& s) {
        double number = -1;
        std::int16_t id[4];
        d.ReadSerialNumber(number, id[3], id[2], id[1], id[0], s);
    };
    const std::string ok = LongAck(0x7F), refused = LongAck(0x00);
    // clang-format off
    const std::tuple<Command, std::deque<std::string>, StatusCode> cases[] = {
        {start, {}, 110013}, {start, {refused}, 111011}, {start, {LongAck(0x02)}, 111011},
        {start, {WithChecksum(Bytes({0xB4, 0x6C, 0x01}))}, 110013},  // another command's
        {start, {KeyedDataReply({})}, 111011},
        {end, {ok}, 0}, {end, {refused}, 121011}, {end, {LongAck(0x01)}, 121011}, {end, {}, 120013},
        // Neither end of the bootloader is asked for twice: a lost answer fails.
        {start, {"", ok}, 110013}, {end, {"", ok}, 120013},
        // Only a data reply answers ReadBlock; the display commands take any
        // answer unchecked and fail on a time-out only.
        {readBlock, {refused, refused}, 13}, {readBlock, {KeyedDataReply({})}, 0},
        {clear, {refused}, 0}, {clear, {}, 150013}, {cursor, {refused}, 0}, {cursor, {}, 160013},
        {text, {refused}, 0}, {text, {}, 170013},
        // The serial number needs an acknowledge, then a data reply; time-outs
        // come back without step.
        {serial, {refused, KeyedDataReply({})}, 101011}, {serial, {ok, ok}, 101011},
        // A frame of a data reply's length with another tag is no answer at all.
        {serial, {ok, GroupFrame(Bytes({0xE5, 0x1F, 0x01, 0x50, 0x44}), {}, {0x70, 0x70, 0, 0, 0})},
         13},
        {serial, {}, 13}, {serial, {ok, ""}, 13},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [send, replies, expected] = cases[i];
        EXPECT_EQ(DeviceRig().Run(send, replies), expected) << "row " << i;
    }
    EXPECT_EQ(RunWithFailedSend(start, ok + LongAck(0x01)), 111012);
}

TEST(ReadSerialNumber, NumberFromIdentityBytesWithBits6And7OfByte1Ignored) {
    // Its frames are those of SamFlashRead(63) and ReadBlock(0xF0).
    DeviceRig reference;
    reference.Run([](Device& d, StatusCode& s) { d.SamFlashRead(63, s); }, {LongAck(0x7F)});
    reference.Run([](Device& d, StatusCode& s) { d.ReadBlock(0xF0, s); }, {KeyedDataReply({})});
    for (int byte1 : {0x41, 0x01, 0xC1, 0x81}) {
        SCOPED_TRACE(byte1);
        DeviceRig rig;
        rig.replies = {LongAck(0x7F), KeyedDataReply({0x9A, byte1, 0x02, 0x03})};
        StatusCode status = -1;
        double serial = -1;
        std::int16_t id3 = -1, id2 = -1, id1 = -1, id0 = -1;
        rig.device.ReadSerialNumber(serial, id3, id2, id1, id0, status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(rig.serial.writes, reference.serial.writes);
        EXPECT_EQ(serial, 1200066051.0);
        EXPECT_EQ((std::vector<int>{id3, id2, id1, id0}),
                  (std::vector<int>{0x03, 0x02, byte1, 0x9A}));
    }
}

TEST(BootloaderStart, WaitsForTheConfirmationOnlyAfterB46D7F) {
    // {answer, confirmation after (s, never if < 0), status, confirmed, elapsed from, to}
    const std::tuple<int, double, StatusCode, bool, double, double> cases[] = {
        {0x01, -1, 0, false, 0.0, 0.1},  // returns at once
        {0x7F, 3.0, 0, true, 3.0, 3.1},
        {0x7F, 0.03, 0, true, 0.029, 0.031},           // with the acknowledge: no wait at all
        {0x7F, -1, 111011, false, 20.0 + 1e-9, 20.1},  // gives up after more than 20 s
    };
    for (const auto& [ack, confirmAfter, status, confirmed, from, to] : cases) {
        SCOPED_TRACE(confirmAfter);
        DeviceRig rig;
        const double start = rig.clock.Now();
        if (confirmAfter >= 0) rig.serial.InjectAt(start + confirmAfter, BootConfirmation());
        EXPECT_EQ(rig.Run([](Device& d, StatusCode& s) { d.BootloaderStart(s); }, {LongAck(ack)}),
                  status);
        EXPECT_EQ(rig.device.frames().confirmed(), confirmed);
        EXPECT_GE(rig.clock.Now() - start, from);
        EXPECT_LT(rig.clock.Now() - start, to);
    }
}

}  // namespace
}  // namespace cv2::test
