#include "platform/uart_port_io.h"

#include <utility>

namespace cv2 {

namespace {

// I/O bases of COM1..COM4.
constexpr std::array<std::int16_t, 4> kBases = {0x3F8, 0x2F8, 0x3E8, 0x2E8};
constexpr int kRegisterCount = 8;
constexpr int kDivisorLowOffset = 0;
constexpr int kDivisorHighOffset = 1;
constexpr int kLineControlOffset = 3;
constexpr std::uint8_t kDivisorLatchAccess = 0x80;
// The UART clock divided by 16: the rate at divisor 1.
constexpr long kUartBaseRate = 115200;

}  // namespace

UartPortIo::UartPortIo(RateSink sink) : sink_(std::move(sink)) {}

UartPortIo::Uart* UartPortIo::Find(std::int16_t address, int& offset) {
    for (std::size_t i = 0; i < kBases.size(); ++i) {
        offset = address - kBases[i];
        if (offset >= 0 && offset < kRegisterCount) return &uarts_[i];
    }
    return nullptr;
}

std::int16_t UartPortIo::Inp32(std::int16_t address) {
    int offset = 0;
    Uart* uart = Find(address, offset);
    if (!uart) return 0xFF;  // nothing answers at this address
    const bool latch = (uart->lineControl & kDivisorLatchAccess) != 0;
    if (offset == kLineControlOffset) return uart->lineControl;
    if (latch && offset == kDivisorLowOffset) return uart->divisorLow;
    if (latch && offset == kDivisorHighOffset) return uart->divisorHigh;
    return 0;
}

void UartPortIo::Out32(std::int16_t address, std::int16_t value) {
    int offset = 0;
    Uart* uart = Find(address, offset);
    if (!uart) return;
    tookEffect_ = true;
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    const bool latch = (uart->lineControl & kDivisorLatchAccess) != 0;
    if (offset == kLineControlOffset) {
        uart->lineControl = byte;
        // The new divisor takes effect when the latch closes again.
        const bool closes = latch && (byte & kDivisorLatchAccess) == 0;
        if (closes && uart->divisorWritten) {
            uart->divisorWritten = false;
            const int divisor = uart->divisorLow | (uart->divisorHigh << 8);
            const int com = static_cast<int>(uart - uarts_.data()) + 1;
            if (divisor > 0 && sink_) tookEffect_ = sink_(com, kUartBaseRate / divisor);
        }
        return;
    }
    if (!latch) return;  // transmit data and interrupt enable: not emulated
    if (offset == kDivisorLowOffset) uart->divisorLow = byte;
    if (offset == kDivisorHighOffset) uart->divisorHigh = byte;
    if (offset == kDivisorLowOffset || offset == kDivisorHighOffset) uart->divisorWritten = true;
}

}  // namespace cv2
