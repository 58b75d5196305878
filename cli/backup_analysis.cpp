#include "cli/backup_analysis.h"

#include <algorithm>

namespace cv2::cli {

namespace {

constexpr std::uint8_t kErased = 0xFF;

std::uint32_t LongAt(const Image& image, std::size_t offset) {
    return std::uint32_t{image[offset]} << 24 | std::uint32_t{image[offset + 1]} << 16 |
           std::uint32_t{image[offset + 2]} << 8 | image[offset + 3];
}

bool AllErased(const std::uint8_t* bytes, int count) {
    return std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == kErased; });
}

}  // namespace

Units UnitsOf(const Section& s) {
    switch (s.kind) {
        case SectionKind::Serial:
            return {UnitKind::Value, 1, kLongBytes};
        case SectionKind::VersionWords:
            return {UnitKind::Word, s.perPage, kLongBytes};
        case SectionKind::ExtraData:
            return {UnitKind::Record, s.Length() / kRecordBytes, kRecordBytes};
        case SectionKind::FsModule:
            return {UnitKind::Group, s.pageCount, s.perPage * kWordBytes};
        case SectionKind::Route:
            return {UnitKind::Route, s.pageCount * s.perPage, s.recordsPerRoute * kRecordBytes};
        default:
            // One page holds one locomotive; the other group sections hold groups.
            return {s.key == "locomotives"         ? UnitKind::Loco
                    : s.kind == SectionKind::Group ? UnitKind::Group
                                                   : UnitKind::Page,
                    s.pageCount, s.RecordsOfPage() * kRecordBytes};
    }
}

int UnitLabel(const Section&, int index) { return index + 1; }

const char* UnitNoun(UnitKind kind, bool plural) {
    switch (kind) {
        case UnitKind::Value:
            return plural ? "Werte" : "Wert";
        case UnitKind::Word:
            return plural ? "Versionswörter" : "Versionswort";
        case UnitKind::Record:
            return plural ? "Datensätze" : "Datensatz";
        case UnitKind::Page:
            return plural ? "Seiten" : "Seite";
        case UnitKind::Group:
            return plural ? "Gruppen" : "Gruppe";
        case UnitKind::Loco:
            return plural ? "Loks" : "Lok";
        case UnitKind::Route:
            return plural ? "Fahrstraßen" : "Fahrstraße";
    }
    return "";
}

const char* UnitNounDative(UnitKind kind) {
    switch (kind) {
        case UnitKind::Value:
            return "Werten";
        case UnitKind::Word:
            return "Versionswörtern";
        case UnitKind::Record:
            return "Datensätzen";
        default:
            return UnitNoun(kind, true);  // the same in the dative
    }
}

const char* UnitKey(UnitKind kind) {
    switch (kind) {
        case UnitKind::Value:
            return "value";
        case UnitKind::Word:
            return "word";
        case UnitKind::Record:
            return "record";
        case UnitKind::Page:
            return "page";
        case UnitKind::Group:
            return "group";
        case UnitKind::Loco:
            return "locomotive";
        case UnitKind::Route:
            return "route";
    }
    return "";
}

bool GroupPageInUse(const Section& section, const std::uint8_t* firstRecord) {
    return cv2::GroupPageInUse(firstRecord[kGroupTagByte], section.tag);
}

bool FsGroupInUse(const std::uint8_t* group) { return (group[0] << 8 | group[1]) != 0; }

void AsBackupWouldWrite(Image& image) {
    for (std::size_t i = 0; i < kFileLayout.size(); ++i) {
        const Section& s = kFileLayout[i];
        if (s.kind != SectionKind::Group) continue;
        const Units units = UnitsOf(s);  // a group section's unit is its page
        for (int p = 0; p < units.count; ++p) {
            std::uint8_t* page = image.data() + SectionOffset(i) + p * units.bytes;
            if (GroupPageInUse(s, page)) continue;
            std::fill(page + kRecordBytes, page + units.bytes, kErased);
        }
    }
}

std::vector<SectionDiff> CompareImages(const Image& a, const Image& b) {
    std::vector<SectionDiff> diffs;
    for (std::size_t i = 0; i < kFileLayout.size(); ++i) {
        const Units units = UnitsOf(kFileLayout[i]);
        SectionDiff diff{i, {}, 0, {}};
        for (int u = 0; u < units.count; ++u) {
            const std::size_t start = SectionOffset(i) + static_cast<std::size_t>(u) * units.bytes;
            int differing = 0;
            for (int k = 0; k < units.bytes; ++k) differing += a[start + k] != b[start + k];
            if (differing == 0) continue;
            diff.units.push_back(u);
            diff.bytes += differing;
            if (units.kind == UnitKind::Value || units.kind == UnitKind::Word) {
                diff.values.emplace_back(LongAt(a, start), LongAt(b, start));
            }
        }
        if (!diff.units.empty()) diffs.push_back(std::move(diff));
    }
    return diffs;
}

Summary Summarize(const BackupImage& file) {
    Summary summary;
    summary.size = file.size;
    summary.serial = LongAt(file.bytes, SectionOffset(0));
    const std::size_t versions = IndexOf(SectionOf(SectionKind::VersionWords));
    for (int w = 0; w < kVersionWordCount; ++w) {
        summary.versions[w] = LongAt(file.bytes, SectionOffset(versions) + w * kLongBytes);
    }
    for (std::size_t i = versions + 1; i < kFileLayout.size(); ++i) {
        const Section& s = kFileLayout[i];
        const Units units = UnitsOf(s);
        SectionUse use{i, 0, units.count};
        for (int u = 0; u < units.count; ++u) {
            const std::uint8_t* unit = file.bytes.data() + SectionOffset(i) + u * units.bytes;
            if (s.kind == SectionKind::Group) {
                use.used += GroupPageInUse(s, unit);
            } else if (s.kind == SectionKind::FsModule) {
                use.used += FsGroupInUse(unit);
            } else {
                use.used += !AllErased(unit, units.bytes);
            }
        }
        summary.sections.push_back(use);
    }
    return summary;
}

}  // namespace cv2::cli
