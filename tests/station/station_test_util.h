// Frames for the station tests, in the form the program sends them.
#pragma once

#include <initializer_list>

#include "keys/keys.h"
#include "station/command_station.h"
#include "station/station_frame.h"

namespace cv2::station::test {

// A memory or bootloader command: the first data fields, the service key, selectors.
inline Bytes ServiceCommand(std::initializer_list<int> head, int selB) {
    Fields f;
    int i = 0;
    for (int v : head) f.data[i++] = static_cast<std::uint8_t>(v);
    for (int k = 0; k < 8; ++k) f.data[8 + k] = kBuiltInKeys.ServiceKey[k];
    f.selA = 3;
    f.selB = static_cast<std::uint8_t>(selB);
    return EncodeCommand(f);
}
inline Bytes BootloaderStart() { return ServiceCommand({0x00, 0x7F, 0x7F, 0x7F}, 7); }

// ReadBlock at a byte offset of the transfer buffer.
inline Bytes ReadBlock(int offset) {
    Fields f;
    f.data[16] = static_cast<std::uint8_t>(offset & 0xFF);
    f.data[17] = static_cast<std::uint8_t>(offset >> 8);
    f.selA = 4;
    f.selB = 4;
    return EncodeCommand(f);
}

}  // namespace cv2::station::test
