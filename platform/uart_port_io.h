// Port I/O without privileged port access: an emulated register file of the
// COM1-COM4 UARTs. When a program closes the divisor latch after writing a
// divisor, the open serial port is run at 115200/divisor bit/s by its driver
// (on Linux through a custom rate, on Windows through the port's DCB).
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/port_io.h"

namespace cv2 {

class UartPortIo : public PortIo {
public:
    // Called with the COM number (1-4) and the rate a new divisor gives; false
    // when the port refuses that rate.
    using RateSink = std::function<bool(int comNumber, long bitsPerSecond)>;

    // The sink gives the rate to the port the program has open: it opens only
    // one port at a time, and it is the one whose registers it programs.
    explicit UartPortIo(RateSink sink);

    std::int16_t Inp32(std::int16_t address) override;
    void Out32(std::int16_t address, std::int16_t value) override;
    bool LastWriteTookEffect() const override { return tookEffect_; }

private:
    struct Uart {
        std::uint8_t lineControl = 0x03;  // 8 data bits, no parity, 1 stop bit
        std::uint8_t divisorLow = 1, divisorHigh = 0;
        bool divisorWritten = false;
    };
    // The UART at an address and the register offset in it; nullptr when none.
    Uart* Find(std::int16_t address, int& offset);

    std::array<Uart, 4> uarts_;
    RateSink sink_;
    bool tookEffect_ = true;
};

}  // namespace cv2
