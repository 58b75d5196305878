// The emulated UART registers: a divisor takes effect when the divisor latch
// closes, reads give back what was written, other addresses are left alone.
#include "platform/qt/uart_port_io.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace cv2 {
namespace {

struct Recorder {
    std::vector<std::pair<int, long>> rates;
    UartPortIo io{[this](int com, long rate) { rates.emplace_back(com, rate); }};
};

void ProgramDivisor(PortIo& io, std::int16_t base, int divisor) {
    const std::int16_t lcr = io.Inp32(static_cast<std::int16_t>(base + 3));
    io.Out32(static_cast<std::int16_t>(base + 3), static_cast<std::int16_t>(lcr | 0x80));
    io.Out32(base, static_cast<std::int16_t>(divisor & 0xFF));
    io.Out32(static_cast<std::int16_t>(base + 1), static_cast<std::int16_t>(divisor >> 8));
    io.Out32(static_cast<std::int16_t>(base + 3), lcr);
}

TEST(UartPortIo, DivisorSequenceGivesTheRateOnceTheLatchCloses) {
    Recorder r;
    ProgramDivisor(r.io, 0x2F8, 7);
    EXPECT_EQ(r.rates, (std::vector<std::pair<int, long>>{{2, 16457}}));
    ProgramDivisor(r.io, 0x3F8, 12);
    EXPECT_EQ(r.rates.back(), (std::pair<int, long>{1, 9600}));
}

TEST(UartPortIo, LineControlReadsBackAndKeepsItsFormat) {
    Recorder r;
    EXPECT_EQ(r.io.Inp32(0x3FB), 0x03);
    r.io.Out32(0x3FB, 0x83);
    EXPECT_EQ(r.io.Inp32(0x3FB), 0x83);
    r.io.Out32(0x3F8, 7);
    EXPECT_EQ(r.io.Inp32(0x3F8), 7);
    r.io.Out32(0x3FB, 0x03);
    EXPECT_EQ(r.io.Inp32(0x3FB), 0x03);
}

TEST(UartPortIo, WritesWithoutTheLatchOrWithoutADivisorChangeNothing) {
    Recorder r;
    r.io.Out32(0x2F8, 7);  // transmit register, not the divisor
    r.io.Out32(0x2FB, 0x83);
    r.io.Out32(0x2FB, 0x03);  // latch opened and closed, no divisor written
    ProgramDivisor(r.io, 0x2F8, 0);
    r.io.Out32(0x100, 0x80);
    EXPECT_TRUE(r.rates.empty());
}

}  // namespace
}  // namespace cv2
