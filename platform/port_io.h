// Reading and writing one x86 I/O port, used only to program the UART divisor
// for 16666 bit/s on COM1/COM2.
#pragma once

#include <cstdint>

namespace cv2 {

class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::int16_t Inp32(std::int16_t address) = 0;
    // Writes the low byte of value to address.
    virtual void Out32(std::int16_t address, std::int16_t value) = 0;
    // False when the last write could not take effect: the line rate a new
    // divisor asks for was refused by the port's driver.
    virtual bool LastWriteTookEffect() const { return true; }
};

}  // namespace cv2
