// The backup file as the station's memory determines it: renders the exact
// 574,252-byte image a complete backup of this memory produces, and loads such
// an image back into memory the way a restore onto the same station writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "station/station_memory.h"

namespace cv2::station {

constexpr std::size_t kBackupSize = 574252;

std::vector<std::uint8_t> RenderBackupImage(const StationMemory& memory);

// False (memory untouched) when the image is not exactly kBackupSize bytes.
// The serial number becomes the identity; id0 and the two spare bits of id1
// come from the ID table when its first record carries the same serial.
bool LoadBackupImage(StationMemory& memory, std::span<const std::uint8_t> image);

}  // namespace cv2::station
