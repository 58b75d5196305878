// The emulated UART registers: a divisor takes effect when the divisor latch
// closes, reads give back what was written, other addresses are left alone.
#include "platform/uart_port_io.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace cv2 {
namespace {

using Rates = std::vector<std::pair<int, long>>;

TEST(UartPortIo, DivisorTakesEffectOnlyWhenTheLatchClosesAfterADivisorWrite) {
    Rates rates;
    UartPortIo io{[&](int com, long rate) {
        rates.emplace_back(com, rate);
        return true;
    }};
    io.Out32(0x2F8, 7);  // transmit register, not the divisor
    io.Out32(0x2FB, 0x83);
    io.Out32(0x2FB, 0x03);  // latch opened and closed, no divisor written
    io.Out32(0x100, 0x80);
    EXPECT_TRUE(rates.empty());
    for (auto [base, divisor] : {std::pair{0x2F8, 7}, {0x3F8, 12}, {0x3F8, 0}}) {
        const auto lcr = static_cast<std::int16_t>(base + 3);
        const std::size_t before = rates.size();
        EXPECT_EQ(io.Inp32(lcr), 0x03);
        io.Out32(lcr, 0x83);
        EXPECT_EQ(io.Inp32(lcr), 0x83);
        io.Out32(static_cast<std::int16_t>(base), static_cast<std::int16_t>(divisor & 0xFF));
        io.Out32(static_cast<std::int16_t>(base + 1), static_cast<std::int16_t>(divisor >> 8));
        EXPECT_EQ(io.Inp32(static_cast<std::int16_t>(base)), divisor & 0xFF);
        EXPECT_EQ(rates.size(), before);  // not before the latch closes
        io.Out32(lcr, 0x03);
    }
    EXPECT_EQ(rates, (Rates{{2, 16457}, {1, 9600}}));  // divisor 0 gives no rate
}

}  // namespace
}  // namespace cv2
