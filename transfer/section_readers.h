// The section readers of a backup: each walks a fixed range of station flash
// pages, loads each page into the transfer buffer and appends its 16-byte
// blocks to the backup file as records. Also the database version check.
#pragma once

#include <array>
#include <cstdint>

#include "device/device.h"
#include "device/status.h"
#include "transfer/backup_file.h"

namespace cv2 {

// The station's database has another version.
constexpr StatusCode kDatabaseVersionInvalid =
    Code(Step::DatabaseId, Kind::None, Detail::InvalidVersion);

// Data flash page holding the version words (bytes 24..63).
constexpr std::int16_t kVersionPage = SectionOf(SectionKind::VersionWords).firstPage;
// Extra data: the first block of each of its pages except this one, then the
// blocks of this one.
constexpr std::int16_t kExtraLongPage = SectionOf(SectionKind::ExtraData).firstPage + 2;

// The Mode of CheckDatabaseVersion: 1 in a backup, which appends the words
// to the backup file, 0 in a restore, which only checks them.
enum class VersionMode { Restore = 0, Backup = 1 };

using VersionWords = std::array<std::uint32_t, kVersionWordCount>;
// Every word holds the one database version this program knows.
constexpr bool VersionWordsValid(const VersionWords& words) {
    for (std::uint32_t word : words) {
        if (word != kDatabaseVersion) return false;
    }
    return true;
}
// The ten version words of the station, whatever they hold; Status 0 when
// they could be read.
void ReadVersionWords(Device& device, VersionWords& words, StatusCode& Status);

// Reads the ten version words of the station; Status 10099 when one is not 5.
// In backup mode appends them to the file when all are valid.
void CheckDatabaseVersion(Device& device, BackupFile& file, VersionMode Mode, StatusCode& Status);

void ReadIdTable(Device& device, BackupFile& file, StatusCode& Status);
// A failing command leaves its own code, no step added.
void ReadExtraData(Device& device, BackupFile& file, StatusCode& Status);
// The group, page and route readers walk the pages of the section they are
// given, in file order.
// Every page yields the section's records per page; a page whose first record
// does not carry the section's tag (upper six bits of file byte 4) is filled
// with 0xFF records without asking the station for more.
void ReadGroupSection(Device& device, BackupFile& file, const Section& section, StatusCode& Status);
void ReadPageSection(Device& device, BackupFile& file, const Section& section, StatusCode& Status);
// Per page, its routes of their records each, the routes the section's route
// stride in blocks apart.
void ReadRouteSection(Device& device, BackupFile& file, const Section& section, StatusCode& Status);

// CmdData 0..15 := 255, so that the next PutRecord writes an empty record.
void FillRecordFF(CommandBlock& block);

}  // namespace cv2
