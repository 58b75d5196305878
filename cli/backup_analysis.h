// Looking into backup files without a station: loading one, what each section
// holds in use, and which pages, records and FS module groups differ between
// two images. Every position comes from the file layout table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "transfer/backup_file.h"
#include "transfer/file_layout.h"

namespace cv2::cli {

using Image = std::vector<std::uint8_t>;

// The parts a section is compared and counted in, as a user knows them:
// locomotives and routes one by one, group and data pages, the records of
// the extra data, the serial number and each version word as a value, the
// FS module's groups.
enum class UnitKind { Value, Word, Record, Page, Group, Loco, Route };
struct Units {
    UnitKind kind;
    int count;
    int bytes;
};
Units UnitsOf(const Section& section);
// How a unit is named to people and scripts: its number in the section,
// counted from 1 (locomotive 37, route 12, page 42).
int UnitLabel(const Section& section, int index);
const char* UnitNoun(UnitKind kind, bool plural);
// The plural after "von" ("3 von 18 Datensätzen").
const char* UnitNounDative(UnitKind kind);
const char* UnitKey(UnitKind kind);

// A group page is in use when the tag in its first record matches the section's.
bool GroupPageInUse(const Section& section, const std::uint8_t* firstRecord);
// An FS module group is in use unless its first entry marks it empty.
bool FsGroupInUse(const std::uint8_t* group);

// Every unused group page as the backup writes it: the first record as it is,
// the rest 0xFF. Makes a file comparable with a fresh read of the station.
void AsBackupWouldWrite(Image& image);

struct SectionDiff {
    std::size_t section;     // index in kFileLayout
    std::vector<int> units;  // indices of the differing units
    int bytes = 0;           // differing bytes in all
    // For single values (serial number, version words): each differing one's
    // value in the first image and in the second.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> values;
};
// The sections in file order that differ; empty when the images are equal.
std::vector<SectionDiff> CompareImages(const Image& a, const Image& b);

struct SectionUse {
    std::size_t section;
    int used;
    int total;
};
struct Summary {
    std::int64_t size = 0;
    std::uint32_t serial = 0;
    std::array<std::uint32_t, kVersionWordCount> versions{};
    std::vector<SectionUse> sections;  // every section behind the version words
};
Summary Summarize(const BackupImage& file);

}  // namespace cv2::cli
