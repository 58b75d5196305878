// Setting the link up: the order of port properties per interface kind, the
// UART divisor for 16666 bit/s, the COM1/COM2 restriction, the unit's text
// dialogue, and ports that cannot be opened or set.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "link/port_name.h"
#include "tests/link/link_rig.h"

namespace cv2::test {
namespace {

using Log = std::vector<std::string>;
using Port = ComPortSetting;

TEST(OpenLinkSerialInterface, OnlyCom1AndCom2AndTheUartDivisorOnlyAt16666) {
    constexpr int kRefused = -1, kNoUart = 0;
    struct Row {
        Port port;
        long rate;
        int base;  // UART whose divisor is programmed
        long com;  // the COM port opened
    };
    const Row rows[] = {{Port::Number(2), 16666, 0x2F8, 2},
                        {Port::Number(1), 16666, 0x3F8, 1},
                        {Port::Text("/dev/ttyS1"), 16666, 0x2F8, 2},
                        {Port::Text("COM2"), 16666, 0x2F8, 2},
                        {Port::Number(1), 9600, kNoUart, 1},
                        {Port::Number(2), 115200, kNoUart, 2},
                        {Port::Number(3), 16666, kRefused, 0},
                        {Port::Text("/dev/ttyUSB0"), 16666, kRefused, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.port.ToText() + " at " + std::to_string(row.rate));
        LinkRig rig(1, row.port, row.rate);
        const std::int16_t low = row.base, high = low + 1, lcr = low + 3;
        rig.io.registers[lcr] = 0x07;  // 8 data bits, 2 stop bits, no parity
        if (row.base == kRefused) {
            EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 1);
            EXPECT_TRUE(rig.serial.log.empty());
            // The procedure shows it as a hint of its own.
            EXPECT_EQ(rig.link.failure(), LinkFailure::PortRestricted);
            EXPECT_EQ(
                rig.link.failureText(),
                "Sie können das LocoNet-Interface nur mit Comport 1 oder Comport 2 benutzen!");
            continue;
        }
        ASSERT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
        const std::string line = row.base == kNoUart ? std::to_string(row.rate) : "19200";
        EXPECT_EQ(rig.serial.log,
                  (Log{"CommPort=" + ComPortDeviceName(row.com), "RTSEnable=1", "InputMode=0",
                       "Settings=" + line + ",n,8,1", "InputLen=1", "PortOpen=1", "InBufferCount=0",
                       "SThreshold=0", "RThreshold=1"}));
        std::vector<FakePortIo::Access> uart;
        if (row.base != kNoUart)
            uart = {{false, lcr, 0x07},
                    {true, lcr, 0x87},
                    {true, low, 7},
                    {true, high, 0},
                    {true, lcr, 0x07}};
        EXPECT_EQ(rig.io.log, uart);
    }
}

TEST(OpenLinkUsbInterface, AnyPortAt115200WhateverTheRate) {
    LinkRig rig(2, Port::Number(7), 9600);
    ASSERT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
    EXPECT_EQ(rig.serial.log,
              (Log{"CommPort=" + ComPortDeviceName(7), "InputMode=0", "Settings=115200,n,8,1",
                   "InputLen=0", "Handshaking=0", "PortOpen=1", "InBufferCount=0", "SThreshold=0",
                   "RThreshold=1"}));
    EXPECT_TRUE(rig.io.log.empty());
}

TEST(OpenLinkFailures, APortThatCannotBeSetUpNamesPortAndReason) {
    struct Row {
        int kind;
        void (*inject)(LinkRig&);
        std::string text;
        long rate = 9600;
    };
    const std::string com1 = ComPortDeviceName(1);
    const Row rows[] = {
        {2, [](LinkRig& r) { r.serial.openError = "No such file or directory"; },
         "Die Schnittstelle /dev/ttyUSB0 kann nicht geöffnet werden: No such file or directory"},
        {1, [](LinkRig& r) { r.serial.rtsUnsupported = true; },
         "Die Schnittstelle " + com1 +
             " lässt die Einstellung RTS nicht zu: Inappropriate ioctl for device"},
        {1, [](LinkRig& r) { r.serial.refuseSettings = "9600,n,8,1"; },
         "Die Schnittstelle " + com1 +
             " lässt die Einstellung 9600,n,8,1 nicht zu: Invalid argument"},
        // The driver does not take the rate the UART divisor asks for.
        {1, [](LinkRig& r) { r.io.refuseRate = true; },
         "Die Schnittstelle " + com1 + " lässt die Einstellung 16457 Bit/s nicht zu: ", 16666},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        LinkRig rig(row.kind, row.kind == 2 ? Port::Text("/dev/ttyUSB0") : Port::Number(1),
                    row.rate);
        row.inject(rig);
        EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 1);
        // The procedure shows the one box; the link keeps the text for it.
        EXPECT_NE(rig.link.failure(), LinkFailure::PortRestricted);
        EXPECT_TRUE(rig.link.failureText().starts_with(row.text)) << rig.link.failureText();
    }
    // The next run that gets its port reports its own failures, not this one.
    LinkRig rig(2, Port::Text("/dev/ttyUSB0"), 115200);
    rig.serial.openError = "Device or resource busy";
    EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 1);
    rig.serial.openError.clear();
    EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
    EXPECT_EQ(rig.link.failureText(), "");
}

// Cut at its NUL, the name would open the controlling terminal: with any
// interface, such a name is neither set nor opened.
TEST(OpenLinkFailures, APortNameWithAControlCharacterIsNeverOpened) {
    using namespace std::string_literals;
    for (int kind : {0, 1, 2}) {
        LinkRig rig(kind, Port::Text("/dev/tty\0USB0"s), 115200);
        EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 1);
        EXPECT_FALSE(rig.serial.PortOpen());
        EXPECT_EQ(rig.serial.CommPort(), "");
        EXPECT_TRUE(
            rig.link.failureText().starts_with("Der Schnittstellenname „/dev/tty\\x00USB0“"))
            << rig.link.failureText();
    }
}

// --- the Tandemo/Centrova unit's text dialogue ---

// Plays the unit: answers every command text (ending in CR) with the next
// reply after a delay, and records the command texts.
void AnswerTexts(LinkRig& rig, Log& commands, std::vector<std::string> replies, double delay) {
    rig.serial.onOutput = [&, replies, delay, line = std::string()](const std::string& b) mutable {
        line += b;
        if (b != "\r") return;
        if (commands.size() < replies.size())
            rig.serial.InjectAt(rig.clock.Now() + delay, replies[commands.size()]);
        commands.push_back(std::exchange(line, {}));
    };
}

TEST(OpenLinkTandemo, SwitchesTheUnitInto19200FrameModeWithoutEventsWhileWaiting) {
    const std::pair<std::string, double> rows[] = {
        {"ab]", 0.05}, {"OK\r\n]\r\n", 0.05}, {Bytes({0x81, 0x7E, ']'}), 0.05}, {"]", 4.0}};
    for (const auto& [reply, delay] : rows) {
        SCOPED_TRACE(reply + " after " + std::to_string(delay));
        LinkRig rig(0, Port::Number(1), 115200);
        rig.serial.SetRThreshold(1);  // an earlier run left the receive event on
        Log commands;
        AnswerTexts(rig, commands, {reply, reply}, delay);
        const double start = rig.clock.Now();
        ASSERT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
        EXPECT_EQ(commands, (Log{"xB19200\r", "x&LN$3C96\r"}));
        EXPECT_EQ(rig.serial.log,
                  (Log{"RThreshold=1", "CommPort=" + ComPortDeviceName(1), "Settings=2400,n,8,2",
                       "PortOpen=1", "InputMode=0", "InputLen=100", "Break=1", "Break=0",
                       "OutBufferCount=0", "PortOpen=0", "Settings=19200,n,8,2", "PortOpen=1",
                       "OutBufferCount=0", "PortOpen=0", "InputLen=1", "PortOpen=1", "SThreshold=0",
                       "RThreshold=1"}));
        // Break 1 s, pause 0.3 s, two texts and answers, pause 0.3 s.
        EXPECT_GT(rig.clock.Now() - start, 1.6 + 2 * delay);
        EXPECT_LT(rig.clock.Now() - start, 1.8 + 2 * delay);
        // The prompt wait sleeps on the port: the pauses and texts need a few
        // hundred event passes, the waits for the answers none.
        EXPECT_LT(rig.pump.passes(), 400);
        // The answers never reached the receive handler.
        EXPECT_EQ(rig.link.rx().RxSlot, 0);
        EXPECT_EQ(rig.link.rx().RxFrames[0][0], 0);
    }
}

TEST(OpenLink, AnOpenPortKeepsItsNameAndOnlyTheUnitsDialogueReopensIt) {
    for (int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        LinkRig rig(kind, Port::Number(1), 115200);
        rig.serial.SetCommPort("/dev/ttyUSB3");
        rig.OpenQuietly(1);
        Log commands;
        AnswerTexts(rig, commands, {"]", "]"}, 0.05);
        ASSERT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
        EXPECT_EQ(rig.serial.CommPort(), "/dev/ttyUSB3");
        const Log& log = rig.serial.log;
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [](const std::string& e) { return e.starts_with("CommPort="); }),
                  0);
        // The unit's dialogue closes and reopens the port twice; kinds 1 and 2 leave it open.
        EXPECT_EQ(std::count(log.begin(), log.end(), "PortOpen=0"), kind == 0 ? 2 : 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), "PortOpen=1"), kind == 0 ? 2 : 0);
        EXPECT_EQ(commands.size(), kind == 0 ? 2u : 0u);
    }
}

TEST(OpenLinkTandemo, PromptSplitOverSeveralArrivals) {
    LinkRig rig(0);
    Log commands;
    AnswerTexts(rig, commands, {"x", "]"}, 0.01);
    rig.serial.InjectAt(rig.clock.Now() + 3.0, "B1]");  // the rest, well after the CR
    EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 0);
}

TEST(OpenLinkTandemo, NoPromptInTimeOrNoCtsFailsWithoutABox) {
    struct Row {
        std::vector<std::string> replies;
        double delay;
        bool cts;
        std::size_t commands;
    };
    const Row rows[] = {{{"no prompt here"}, 0.05, true, 1},
                        {{"]"}, 5.05, true, 1},  // five seconds is the limit
                        {{"]"}, 0.05, true, 2},  // second prompt missing
                        {{"]", "]"}, 0.05, false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.commands);
        LinkRig rig(0);
        rig.serial.cts = row.cts;
        Log commands;
        AnswerTexts(rig, commands, row.replies, row.delay);
        EXPECT_EQ(rig.link.OpenLink(LinkConfigOf(rig.settings)), 1);
        EXPECT_EQ(commands.size(), row.commands);
        EXPECT_EQ(rig.serial.written.empty(), !row.cts);
    }
}

}  // namespace
}  // namespace cv2::test
