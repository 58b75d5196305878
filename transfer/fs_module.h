// The FS module's own 15-byte protocol: programming on and off, reading and
// writing one 16-bit entry, with their retries and time limits; on top of it
// the backup and restore of the module's 2,000 entries and the key query.
#pragma once

#include <array>
#include <cstdint>

#include "device/device.h"
#include "device/status.h"
#include "transfer/backup_file.h"
#include "transfer/file_layout.h"

namespace cv2 {

// Positions 0..13 of a request; the transmitter appends the checksum.
using FsFrameArray = std::array<std::int16_t, 14>;

// The module's address on every exchange.
constexpr std::int32_t kFsModuleAddress = 6541;
// The key sent with programming on before the module's own is known.
constexpr std::int32_t kFsNoKey = 65535;
// Entries 5..2004, in 80 groups of 25.
constexpr std::int32_t kFsFirstEntry = SectionOf(SectionKind::FsModule).firstPage;
constexpr int kFsGroupCount = SectionOf(SectionKind::FsModule).pageCount;
constexpr int kFsGroupSize = SectionOf(SectionKind::FsModule).perPage;
// A first entry of 0 marks a group empty; an entry of 8 ends a group.
constexpr std::int32_t kFsGroupEmpty = 0;
constexpr std::int32_t kFsGroupEnd = 8;

// Moves bit 7 of positions 7..13 into bits 0..6 of position 6 and clears it there.
void FsEncodeFrame(FsFrameArray& FsFrame);
// 0..65535 read as a two's-complement 16-bit number.
constexpr std::int32_t ToSigned16(std::int32_t x) { return x < 32768 ? x : x - 65536; }

// K: in 65535, out the module's key. 300031 after ten unanswered attempts.
void FsProgOn(Device& device, std::int32_t A, std::int32_t& K, StatusCode& Status);
// value: the entry as a signed 16-bit number. 310031 after ten attempts.
void FsReadEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t& value,
                 StatusCode& Status);
// 320032 when the module refuses, 320031 after ten unanswered attempts.
void FsWriteEntry(Device& device, std::int32_t A, std::int32_t E, std::int32_t V,
                  StatusCode& Status);
// Waits for the frame's own echo; 330013 when none comes within 3 s.
void FsProgOff(Device& device, std::int32_t A, std::int32_t K, StatusCode& Status);

// Appends the module's entries (4,000 bytes) to the backup file. Empty groups
// cost one read; behind an end mark the group is filled with 8 unread.
void BackupFsModule(Device& device, BackupFile& file, StatusCode& Status);
// Writes the entries of the backup file back into the module.
void RestoreFsModule(Device& device, BackupFile& file, StatusCode& Status);
// The module's key: programming on, then off again.
void ReadFsModuleKey(Device& device, std::int32_t& key, StatusCode& Status);

}  // namespace cv2
