// Layout of the command field block as it travels: five groups of four data
// fields, each with a high-bit byte.
#pragma once

namespace cv2 {

inline constexpr int kFieldGroups = 5;
inline constexpr int kFieldsPerGroup = 4;
// The data fields 0..15 carry a 16-byte payload block.
inline constexpr int kPayloadBytes = 16;

}  // namespace cv2
