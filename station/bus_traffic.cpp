#include "station/bus_traffic.h"

namespace cv2::station {

namespace {

// Bytes a device may put after its opcode: 7 bits each.
Bytes RandomData(int count, std::mt19937& random) {
    Bytes out;
    for (int i = 0; i < count; ++i) out += static_cast<char>(random() & 0x7F);
    return out;
}

Bytes Frame(std::initializer_list<std::uint8_t> head, int dataBytes, std::mt19937& random) {
    Bytes out;
    for (std::uint8_t b : head) out += static_cast<char>(b);
    return Sealed(out + RandomData(dataBytes, random));
}

}  // namespace

Bytes ForeignFrame(int kind, std::mt19937& random) {
    switch (kind) {
        case 0:  // an occupancy detector reports
            return Frame({0xB2}, 2, random);
        case 1:  // a throttle throws a turnout
            return Frame({0xB0}, 2, random);
        case 2:  // a throttle sets a speed
            return Frame({0xA0}, 2, random);
        case 3:  // a booster switches the power on
            return Frame({0x83}, 0, random);
        case 4:  // a slot read: 14 bytes
            return Frame({0xE7, 0x0E}, 11, random);
        case 5:  // the long acknowledge of another opcode
            return Frame({0xB4, 0x3F}, 1, random);
        case 6:  // as long as a data reply, another tag
            return Frame({0xE5, 0x1F, 0x01, 0x49, 0x42}, 25, random);
        case 7:  // as long as a command frame, from another device
            return Frame({0xED, 0x1F, 0x01, 0x4D, 0x4D}, 25, random);
        default:  // as long as an FS module frame, another module's address
            return Frame({0xE5, 0x0F, 0x08, 0x05, 0x00, 0x21, 0x00, 0x11, 0x22}, 5, random);
    }
}

}  // namespace cv2::station
