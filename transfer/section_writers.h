// The section writers of a restore: each consumes the records its reader wrote,
// sends them into the station's transfer buffer at the offsets they came from
// and commits each complete page to flash. Two of them adapt the data to
// another station on the way: its identity bytes and its FS module key.
#pragma once

#include <cstdint>

#include "device/device.h"
#include "device/status.h"
#include "device/status.h"
#include "transfer/backup_file.h"
#include "transfer/file_layout.h"

namespace cv2 {

// All four identity bytes -1: the ID table goes out as the file holds it.
constexpr std::int16_t kNoIdentityPatch = -1;
// Key of the route writer that leaves the routes as the file holds them.
constexpr std::int32_t kNoRoutePatch = -1;

// Bytes 1..4 of the first record of each ID table page become P1..P4, unless
// all four arguments are -1 or the page's four bytes are all 0xFF (empty).
void WriteIdTable(Device& device, BackupFile& file, std::int16_t P1, std::int16_t P2,
                  std::int16_t P3, std::int16_t P4, StatusCode& Status);
// Presets the transfer buffer with 0xFF, then the extra data pages. A failing
// command leaves its own code, no step added.
void WriteExtraData(Device& device, BackupFile& file, StatusCode& Status);
// The group, page and route writers walk the pages of the section they are
// given, in file order, each record to the offset its reader took it from.
// The first record of a page decides by its tag whether the page's other
// records are sent or read and dropped.
void WriteGroupSection(Device& device, BackupFile& file, const Section& section,
                       StatusCode& Status);
void WritePageSection(Device& device, BackupFile& file, const Section& section, StatusCode& Status);
// With a key other than kNoRoutePatch, the key goes into bytes 15 (low) and 16
// (high) of every route's second record: a file from another station carries
// the target's FS module key.
void WriteRouteSection(Device& device, BackupFile& file, const Section& section,
                       std::int32_t FsModuleKey, StatusCode& Status);

// RecordBuf(0..16) := 255.
void ClearRecordBuf(RecordBuffer& RecordBuf);

}  // namespace cv2
