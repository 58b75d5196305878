// The device commands against a scripted station: the frames they send, the
// answers they accept, and the status each leaves.
#include <gtest/gtest.h>

#include "tests/device/device_rig.h"

namespace cv2::test {
namespace {

std::vector<int> Wire(DeviceRig& rig, std::size_t i = 0) { return Codes(rig.serial.writes.at(i)); }

// Fields 0..19 as they travel, bit 7 put back from the high-bit bytes.
std::vector<int> SentFields(DeviceRig& rig, std::size_t i = 0) {
    const std::vector<int> w = Wire(rig, i);
    std::vector<int> fields;
    for (int g = 0; g < 5; ++g) {
        for (int k = 0; k < 4; ++k) {
            const int high = (w[5 + 5 * g] >> k) & 1;
            fields.push_back(w[6 + 5 * g + k] | high << 7);
        }
    }
    return fields;
}

std::vector<int> ServiceKeyFields() { return {ServiceKey.begin(), ServiceKey.end()}; }

std::vector<int> Slice(const std::vector<int>& v, int from, int count) {
    return {v.begin() + from, v.begin() + from + count};
}

// --- frames on the wire ---

TEST(CommandFrames, ReadBlock20) {
    DeviceRig rig;
    StatusCode status = -1;
    rig.device.ReadBlock(0x20, status);
    EXPECT_EQ(Wire(rig),
              Codes(Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                           0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x2D})));
}

TEST(CommandFrames, DisplayClear) {
    DeviceRig rig;
    StatusCode status = -1;
    rig.device.DisplayClear(status);
    EXPECT_EQ(Wire(rig),
              Codes(Bytes({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                           0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2D})));
}

TEST(CommandFrames, DataFlashWriteCarriesBit7OfItsFirstField) {
    DeviceRig rig;
    StatusCode status = -1;
    rig.device.DataFlashWrite(0x0105, status);
    const std::vector<int> w = Wire(rig);
    EXPECT_EQ(Slice(w, 5, 10), Codes(Bytes({0x71, 0x5F, 0x0A, 0x05, 0x01, 0x70, 0, 0, 0, 0})));
}

TEST(CommandFrames, MemoryAndBootloaderCommandsCarryTheServiceKey) {
    struct Case {
        const char* name;
        void (*send)(Device&, StatusCode&);
        std::vector<int> fields0to7;
        int selA, selB;
    };
    // clang-format off
    const Case cases[] = {
        {"SamFlashRead", [](Device& d, StatusCode& s) { d.SamFlashRead(0x0123, s); },
         {0x00, 0x08, 0x23, 0x01, 0x5A, 0, 0, 0}, 3, 3},
        {"SamFlashWrite", [](Device& d, StatusCode& s) { d.SamFlashWrite(0x0123, s); },
         {0x5A, 0x08, 0x23, 0x01, 0x5B, 0, 0, 0x01}, 3, 3},
        {"DataFlashRead", [](Device& d, StatusCode& s) { d.DataFlashRead(0x0123, s); },
         {0x45, 0x0A, 0x23, 0x01, 0, 0, 0, 0}, 3, 3},
        {"DataFlashWrite", [](Device& d, StatusCode& s) { d.DataFlashWrite(0x0123, s); },
         {0xDF, 0x0A, 0x23, 0x01, 0, 0, 0, 0}, 3, 3},
        {"BootloaderStart", [](Device& d, StatusCode& s) { d.BootloaderStart(s); },
         {0x00, 0x7F, 0x7F, 0x7F, 0, 0, 0, 0}, 3, 7},
        {"BootloaderEnd", [](Device& d, StatusCode& s) { d.BootloaderEnd(s); },
         {0x20, 0x7F, 0x7F, 0x7F, 0, 0, 0, 0}, 3, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRig rig;
        StatusCode status = -1;
        c.send(rig.device, status);
        const std::vector<int> f = SentFields(rig);
        EXPECT_EQ(Slice(f, 0, 8), c.fields0to7);
        EXPECT_EQ(Slice(f, 8, 8), ServiceKeyFields());
        EXPECT_EQ(Slice(f, 16, 4), (std::vector<int>{0, 0, 0, 0}));
        const std::vector<int> w = Wire(rig);
        EXPECT_EQ((std::vector<int>{w[15] >> 4, w[20] >> 4, w[25] >> 4}),
                  (std::vector<int>{c.selA, c.selB, 0}));
    }
}

TEST(CommandFrames, DisplayCursorSendsTheSecondLowByteTwice) {
    DeviceRig rig;
    StatusCode status = -1;
    rig.device.DisplayCursor(10, 50, status);
    const std::vector<int> f = SentFields(rig);
    EXPECT_EQ(Slice(f, 0, 4), Codes(Bytes({0x0A, 0x00, 0x32, 0x32})));
    EXPECT_EQ(Slice(f, 4, 16), std::vector<int>(16, 0));
    const std::vector<int> w = Wire(rig);
    EXPECT_EQ((std::vector<int>{w[15], w[20], w[25]}), (std::vector<int>{0x30, 0x10, 0x10}));
}

TEST(CommandFrames, DisplayTextFillsTheFieldsAndZeroesTheRest) {
    DeviceRig rig;
    StatusCode status = -1;
    rig.device.DisplayText("Datenbank lesen", status);
    const std::vector<int> f = SentFields(rig);
    EXPECT_EQ(Slice(f, 0, 15), Codes("Datenbank lesen"));
    EXPECT_EQ(Slice(f, 15, 5), std::vector<int>(5, 0));
    const std::vector<int> w = Wire(rig);
    EXPECT_EQ((std::vector<int>{w[15] >> 4, w[20] >> 4, w[25] >> 4}), (std::vector<int>{3, 1, 3}));

    // 22 characters from UTF-8: umlauts in Latin-1, the euro sign as '?', cut after 20.
    rig.device.DisplayText("Größe € über 1234567890", status);
    EXPECT_EQ(SentFields(rig, 1),
              (std::vector<int>{'G', 'r', 0xF6, 0xDF, 'e', ' ', '?', ' ', 0xFC, 'b',
                                'e', 'r', ' ',  '1',  '2', '3', '4', '5', '6',  '7'}));
}

TEST(CommandFrames, WriteBlockPlacesTheRecordKeyedAndTheOffset) {
    DeviceRig rig;
    RecordBuffer r{};
    for (int j = 1; j <= 16; ++j) r[j] = static_cast<std::int16_t>(0xF0 + j - 1);
    StatusCode status = -1;
    rig.device.WriteBlock(0x0130, r, status);
    const std::vector<int> f = SentFields(rig);
    for (int j = 1; j <= 8; ++j) EXPECT_EQ(f[7 + j] ^ PayloadKey[7 + j], r[j]) << j;
    for (int j = 9; j <= 16; ++j) EXPECT_EQ(f[16 - j] ^ PayloadKey[16 - j], r[j]) << j;
    EXPECT_EQ(Slice(f, 16, 4), (std::vector<int>{0x30, 0x01, 0, 0}));
    const std::vector<int> w = Wire(rig);
    EXPECT_EQ((std::vector<int>{w[15] >> 4, w[20] >> 4, w[25] >> 4}), (std::vector<int>{4, 2, 0}));
}

// --- commands answered by a long acknowledge ---

struct AckCommand {
    const char* name;
    void (*send)(Device&, StatusCode&);
    StatusCode refused;
};

const AckCommand kAckCommands[] = {
    {"SamFlashRead", [](Device& d, StatusCode& s) { d.SamFlashRead(7, s); }, 1211},
    {"SamFlashWrite", [](Device& d, StatusCode& s) { d.SamFlashWrite(7, s); }, 1111},
    {"DataFlashRead", [](Device& d, StatusCode& s) { d.DataFlashRead(7, s); }, 1311},
    {"DataFlashWrite", [](Device& d, StatusCode& s) { d.DataFlashWrite(7, s); }, 1411},
    {"WriteBlock", [](Device& d, StatusCode& s) { d.WriteBlock(16, RecordBuffer{}, s); }, 1611},
};

StatusCode StatusAfter(const AckCommand& c, const std::string& reply) {
    DeviceRig rig;
    rig.replies = {reply};
    StatusCode status = -1;
    c.send(rig.device, status);
    return status;
}

TEST(AcknowledgedCommands, AcceptOnlyB46D7F) {
    for (const AckCommand& c : kAckCommands) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StatusAfter(c, LongAck(0x7F)), 0);
        EXPECT_EQ(StatusAfter(c, LongAck(0x00)), c.refused);
        EXPECT_EQ(StatusAfter(c, LongAck(0x01)), c.refused);
        // Another opcode, or a long acknowledge of another command.
        EXPECT_EQ(StatusAfter(c, WithChecksum(Bytes({0xB5, 0x6D, 0x7F}))), c.refused);
        EXPECT_EQ(StatusAfter(c, WithChecksum(Bytes({0xB4, 0x6E, 0x7F}))), c.refused);
        EXPECT_EQ(StatusAfter(c, KeyedDataReply({})), c.refused);
    }
}

TEST(AcknowledgedCommands, PassTimeOutAndSendFailureUnchanged) {
    for (const AckCommand& c : kAckCommands) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StatusAfter(c, ""), 13);
        DeviceRig rig;
        rig.serial.failOutput = true;
        rig.serial.InjectAt(rig.clock.Now() + 0.1, LongAck(0x7F) + LongAck(0x7F));
        StatusCode status = -1;
        c.send(rig.device, status);
        EXPECT_EQ(status, 1012);
    }
}

// --- ReadBlock ---

TEST(ReadBlock, LeavesThePayloadInFileFormAndTheAddressAsReceived) {
    DeviceRig rig;
    std::array<int, 20> fields{};
    for (int i = 0; i < 16; ++i) fields[i] = 0x80 + i * 7;
    fields[16] = 0x20;
    fields[17] = 0x81;
    rig.replies = {KeyedDataReply(fields)};
    StatusCode status = -1;
    rig.device.ReadBlock(0x20, status);
    EXPECT_EQ(status, 0);
    const CommandBlock& b = rig.device.block();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(b.CmdData[i], fields[i]) << i;
}

TEST(ReadBlock, TakesAnyFrameInSlot1WithoutCheckingIt) {
    DeviceRig rig;
    rig.replies = {LongAck(0x00)};
    StatusCode status = -1;
    rig.device.ReadBlock(0, status);
    EXPECT_EQ(status, 0);
}

// --- ReadSerialNumber ---

struct SerialResult {
    StatusCode status = -1;
    double serial = -1;
    std::int16_t id3 = -1, id2 = -1, id1 = -1, id0 = -1;
};

SerialResult ReadSerial(DeviceRig& rig) {
    SerialResult r;
    rig.device.ReadSerialNumber(r.serial, r.id3, r.id2, r.id1, r.id0, r.status);
    return r;
}

TEST(ReadSerialNumber, SendsTheFramesOfSamFlashRead63AndReadBlockF0) {
    DeviceRig rig;
    rig.replies = {LongAck(0x7F), KeyedDataReply({})};
    ReadSerial(rig);
    ASSERT_EQ(rig.serial.writes.size(), 2u);
    DeviceRig reference;
    StatusCode status = -1;
    reference.device.SamFlashRead(63, status);
    reference.device.ReadBlock(0xF0, status);
    EXPECT_EQ(rig.serial.writes, reference.serial.writes);
}

TEST(ReadSerialNumber, NumberFromIdentityBytesWithBits6And7OfByte1Ignored) {
    for (int byte1 : {0x41, 0x01, 0xC1, 0x81}) {
        SCOPED_TRACE(byte1);
        DeviceRig rig;
        rig.replies = {LongAck(0x7F), KeyedDataReply({0x9A, byte1, 0x02, 0x03})};
        const SerialResult r = ReadSerial(rig);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.serial, 1200066051.0);
        EXPECT_EQ(r.id3, 0x03);
        EXPECT_EQ(r.id2, 0x02);
        EXPECT_EQ(r.id1, byte1);
        EXPECT_EQ(r.id0, 0x9A);
    }
}

TEST(ReadSerialNumber, RefusedFirstAnswerIs101011) {
    DeviceRig rig;
    rig.replies = {LongAck(0x00), KeyedDataReply({})};
    EXPECT_EQ(ReadSerial(rig).status, 101011);
    EXPECT_EQ(rig.serial.writes.size(), 1u);
}

TEST(ReadSerialNumber, SecondAnswerThatIsNoDataReplyIs101011) {
    for (const std::string& second :
         {LongAck(0x7F),
          WithChecksum(Bytes({0xE5, 0x1F, 0x01, 0x50, 0x44, 0x70, 0x00, 0x00, 0x00, 0x00,
                              0x70, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}))}) {
        DeviceRig rig;
        rig.replies = {LongAck(0x7F), second};
        const SerialResult r = ReadSerial(rig);
        EXPECT_EQ(r.status, 101011);
        EXPECT_EQ(r.serial, -1);  // left alone
    }
}

TEST(ReadSerialNumber, TimeOutsComeBackWithoutStep) {
    DeviceRig first;
    EXPECT_EQ(ReadSerial(first).status, 13);
    DeviceRig second;
    second.replies = {LongAck(0x7F), ""};
    EXPECT_EQ(ReadSerial(second).status, 13);
}

// --- BootloaderStart ---

TEST(BootloaderStart, AnswerB46D01ReturnsAtOnceWithoutWaiting) {
    DeviceRig rig;
    rig.replies = {LongAck(0x01)};
    StatusCode status = -1;
    const double start = rig.clock.Now();
    rig.device.BootloaderStart(status);
    EXPECT_EQ(status, 0);
    EXPECT_LT(rig.clock.Now() - start, 0.1);
    EXPECT_EQ(rig.link.rx().BootConfirmed, 255);  // untouched
}

TEST(BootloaderStart, AnswerB46D7FWaitsForTheConfirmationFrame) {
    DeviceRig rig;
    rig.replies = {LongAck(0x7F) + BootConfirmation()};
    // The station confirms 3 s later than it acknowledges.
    rig.serial.onOutput = [&](const std::string& frame) {
        const double now = rig.clock.Now();
        rig.serial.InjectAt(now + 0.002, frame);
        rig.serial.InjectAt(now + 0.03, LongAck(0x7F));
        rig.serial.InjectAt(now + 3.0, BootConfirmation());
    };
    StatusCode status = -1;
    const double start = rig.clock.Now();
    rig.device.BootloaderStart(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(rig.link.rx().BootConfirmed, 1);
    EXPECT_GE(rig.clock.Now() - start, 3.0);
    EXPECT_LT(rig.clock.Now() - start, 3.1);
}

TEST(BootloaderStart, MissingConfirmationGivesUpAfter20Seconds) {
    DeviceRig rig;
    rig.replies = {LongAck(0x7F)};
    StatusCode status = -1;
    const double start = rig.clock.Now();
    rig.device.BootloaderStart(status);
    EXPECT_EQ(status, 111011);
    EXPECT_GT(rig.clock.Now() - start, 20.0);
    EXPECT_LT(rig.clock.Now() - start, 20.1);
}

TEST(BootloaderStart, EveryFailureCarriesStep11) {
    EXPECT_EQ(
        [] {
            DeviceRig rig;
            StatusCode status = -1;
            rig.device.BootloaderStart(status);
            return status;
        }(),
        110013);
    for (const std::string& reply : {LongAck(0x00), LongAck(0x02),
                                     WithChecksum(Bytes({0xB4, 0x6C, 0x01})), KeyedDataReply({})}) {
        DeviceRig rig;
        rig.replies = {reply};
        StatusCode status = -1;
        rig.device.BootloaderStart(status);
        EXPECT_EQ(status, 111011);
    }
    DeviceRig rig;
    rig.serial.failOutput = true;
    rig.serial.InjectAt(rig.clock.Now() + 0.1, LongAck(0x7F) + LongAck(0x01));
    StatusCode status = -1;
    rig.device.BootloaderStart(status);
    EXPECT_EQ(status, 111012);
}

// --- BootloaderEnd and the display commands ---

TEST(BootloaderEnd, AcceptsB46D7FAndAddsStep12ToEveryFailure) {
    const std::pair<std::string, StatusCode> cases[] = {
        {LongAck(0x7F), 0},
        {LongAck(0x00), 121011},
        {LongAck(0x01), 121011},
        {"", 120013},
    };
    for (const auto& [reply, expected] : cases) {
        DeviceRig rig;
        rig.replies = {reply};
        StatusCode status = -1;
        rig.device.BootloaderEnd(status);
        EXPECT_EQ(status, expected);
    }
}

TEST(DisplayCommands, AnyAnswerIsFineAndOnlyATimeOutFails) {
    using Send = void (*)(Device&, StatusCode&);
    const std::pair<Send, StatusCode> commands[] = {
        {[](Device& d, StatusCode& s) { d.DisplayClear(s); }, 150000},
        {[](Device& d, StatusCode& s) { d.DisplayCursor(10, 50, s); }, 160000},
        {[](Device& d, StatusCode& s) { d.DisplayText("Datenbank lesen", s); }, 170000},
    };
    for (const auto& [send, step] : commands) {
        SCOPED_TRACE(step);
        DeviceRig refused;
        refused.replies = {LongAck(0x00)};
        StatusCode status = -1;
        send(refused.device, status);
        EXPECT_EQ(status, 0);

        DeviceRig silent;
        send(silent.device, status);
        EXPECT_EQ(status, step + 13);
    }
}

}  // namespace
}  // namespace cv2::test
