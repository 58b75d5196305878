// The layout of a backup file: its sections in file order with their place in
// the file, the station pages they come from and the status texts shown while
// they move. The file has no header; this order is its format. Backup, restore
// and every tool that looks into a file read this one table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "device/command_layout.h"

namespace cv2 {

enum class SectionKind {
    Serial,        // the station's serial number, one Long
    VersionWords,  // ten Longs, each the database version
    IdTable,       // SAM flash pages, whole
    ExtraData,     // the first block of each page but one, then several blocks of that page
    Group,         // pages whose first record's tag says whether the rest is in use
    Page,          // data flash pages copied block by block
    Route,         // pages of routes, some blocks of each route
    FsModule,      // the FS module's entries, groups of Words
};

// Bytes of one record: a 16-byte block of the station's transfer buffer.
constexpr int kRecordBytes = kPayloadBytes;
constexpr int kLongBytes = 4;
constexpr int kWordBytes = 2;

// A group page is in use when its first record carries the section's tag: the
// upper six bits of record byte 3 (from 0) are compared. The readers, the
// writers and every look into a file decide it here.
constexpr int kGroupTagByte = 3;
constexpr bool GroupPageInUse(std::uint8_t tagByte, std::int16_t sectionTag) {
    return (tagByte & 0xFC) == sectionTag;
}

struct Section {
    SectionKind kind;
    std::string_view key;    // stable name for scripts and JSON
    std::string_view title;  // German name for people
    // Status line texts while the section moves; empty keeps the previous text.
    std::string_view backupText;
    std::string_view restoreText;
    std::int16_t firstPage = 0;
    // Pages (FS module: groups of entries).
    std::int16_t pageCount = 0;
    // Records of a page (ID table, groups, pages), routes of a route page, blocks
    // of the extra data's long page, entries of an FS module group, Longs of the
    // version words.
    std::int16_t perPage = 0;
    std::int16_t tag = 0;              // group sections: the page tag's upper six bits
    std::int16_t routeStride = 0;      // routes: blocks from one route to the next
    std::int16_t recordsPerRoute = 0;  // routes: blocks of one route in the file

    // Records a page contributes to the file.
    constexpr int RecordsOfPage() const {
        return kind == SectionKind::Route ? perPage * recordsPerRoute : perPage;
    }
    constexpr std::int32_t Length() const {
        switch (kind) {
            case SectionKind::Serial:
                return kLongBytes;
            case SectionKind::VersionWords:
                return perPage * kLongBytes;
            case SectionKind::ExtraData:
                // One block of every page except the long one, then its blocks.
                return (pageCount - 1 + perPage) * kRecordBytes;
            case SectionKind::FsModule:
                return pageCount * perPage * kWordBytes;
            default:
                return pageCount * RecordsOfPage() * kRecordBytes;
        }
    }
};

// In file order.
inline constexpr std::array<Section, 15> kFileLayout = {{
    {SectionKind::Serial, "serial", "Seriennummer", "", "", 0, 1, 1},
    {SectionKind::VersionWords, "version", "Datenbankversion", "", "", 8003, 1, 10},
    {SectionKind::IdTable, "id_table", "Datenbank Index", " Datenbank Index", " Datenbank Index",
     964, 2, 16},
    {SectionKind::ExtraData, "extra_data", "Zusatzdaten", " Zusatzdaten ", " Zusatzdaten ", 8180,
     12, 7},
    {SectionKind::Group, "locomotives", "Lokdaten", " Lokdaten ", " Lokdaten", 7501, 500, 5, 0x00},
    {SectionKind::Group, "keyboard_groups", "Keyboard Gruppen", " Keyboard Gruppen",
     " Keyboard Gruppen", 7168, 64, 7, 0xC0},
    {SectionKind::Group, "feedback_groups", "Rückmelder Gruppen", " Rückmelder Gruppen",
     " Rückmelder Gruppen", 7232, 64, 7, 0xE0},
    {SectionKind::Group, "talix_groups", "TALIX Gruppen", " TALIX Gruppen", " TALIX Gruppen", 7424,
     64, 7, 0xD0},
    {SectionKind::Group, "route_groups", "Fahrstraßen Gruppen", " Fahrstraßen Gruppen",
     " Fahrstraßen Gruppen", 7360, 64, 7, 0xF0},
    {SectionKind::Group, "boosters", "Booster", " Booster", " Booster", 7296, 64, 9, 0x88},
    {SectionKind::Page, "accessories", "Magnetartikel", " Magnetartikel", " Magnetartikel", 6400,
     256, 32},
    // The backup keeps the previous text here; the restore names the range.
    {SectionKind::Page, "feedback", "Rückmelder", "", " Rückmelder", 6656, 256, 32},
    {SectionKind::Page, "talix_data", "TALIX", " TALIX", " TALIX", 6144, 256, 32},
    // 8 routes a page, 4 blocks apart, 3 blocks each: every fourth block is skipped.
    {SectionKind::Route, "routes", "Fahrstraßen", " Fahrstraßen", " Fahrstraßen", 6912, 256, 8, 0,
     4, 3},
    // Entries 5..2004 in 80 groups of 25; the status line keeps " Fahrstraßen".
    {SectionKind::FsModule, "fs_module", "FS-Modul", "", "", 5, 80, 25},
}};

constexpr std::int32_t SectionOffset(std::size_t index) {
    std::int32_t offset = 0;
    for (std::size_t i = 0; i < index; ++i) offset += kFileLayout[i].Length();
    return offset;
}

// Size of a complete backup file, and what a run moves in all.
inline constexpr std::int32_t kBackupFileSize = SectionOffset(kFileLayout.size());

// The row of the first section of that kind (every kind but Group and Page has one row).
constexpr const Section& SectionOf(SectionKind kind) {
    for (const Section& s : kFileLayout) {
        if (s.kind == kind) return s;
    }
    return kFileLayout[0];
}

constexpr std::size_t IndexOf(const Section& section) {
    return static_cast<std::size_t>(&section - kFileLayout.data());
}

}  // namespace cv2
