// Content for the simulated station generated from a seed: every branch a
// backup walks through occurs (group pages in use and not, tags with low bits
// set, empty, ended and full FS groups, FS values 0xFFFF and 0x8000).
#pragma once

#include <cstdint>

#include "station/station_memory.h"

namespace cv2::station {

// Who the station is: serial number, the byte id0, the two spare bits of id1
// and the FS module's key.
struct Identity {
    std::uint32_t serial = 0;
    std::uint8_t id0 = 0;
    std::uint8_t topBits = 0;
    std::uint16_t fsKey = 0;
};

// Distinct stations for the tests of a restore onto another station; variant 0 is the default.
Identity IdentityVariant(int variant);
void ApplyIdentity(StationMemory& memory, const Identity& identity);

// Fills the whole memory from the seed (the same seed gives the same bytes on
// every platform) and applies the identity: version words 5, the identity
// bytes at the head of ID table page 964 (page 965 starts erased), the FS key
// in the second record of every route.
void SeedContent(StationMemory& memory, std::uint32_t seed, const Identity& identity);

}  // namespace cv2::station
