#include "station/seeded_content.h"

#include <random>

namespace cv2::station {

namespace {

struct GroupRange {
    int firstPage, pageCount;
    std::uint8_t tag;
};
constexpr GroupRange kGroups[] = {{7501, 500, 0x00}, {7168, 64, 0xC0}, {7232, 64, 0xE0},
                                  {7424, 64, 0xD0},  {7360, 64, 0xF0}, {7296, 64, 0x88}};
constexpr int kTagByte = 3;
constexpr int kRouteFirst = 6912, kRoutePages = 256, kRoutesPerPage = 8, kRouteBytes = 64;
constexpr int kRouteKeyLow = kBlockSize + 14;  // bytes 15 and 16 of each route's second record
constexpr int kIdTablePage = 964, kIdTableSecondPage = 965;
constexpr int kFsGroups = 80, kFsGroupSize = 25;
constexpr std::uint16_t kFsEnd = 8;

std::uint8_t Byte(std::mt19937& rng) { return static_cast<std::uint8_t>(rng() >> 24); }
std::uint16_t Word(std::mt19937& rng) { return static_cast<std::uint16_t>(rng() >> 16); }

// A value that neither marks a group empty nor ends it.
std::uint16_t PlainValue(std::mt19937& rng) {
    std::uint16_t v;
    do v = Word(rng);
    while (v == 0 || v == kFsEnd);
    return v;
}

void SeedGroupPages(StationMemory& m, std::mt19937& rng) {
    for (const auto& g : kGroups) {
        for (int i = 0; i < g.pageCount; ++i) {
            auto page = m.DataPage(g.firstPage + i);
            std::uint8_t tag;
            // The first two pages of every range are fixed: one in use whose tag
            // has both low bits set, one erased.
            const unsigned pick = i < 2 ? (i == 0 ? 3u : 0u) : rng() % 4;
            switch (pick) {
                case 0:
                    tag = kErased;
                    break;
                case 1:  // another range's tag: not in use here
                    tag = static_cast<std::uint8_t>((g.tag + 0x10) & 0xFC);
                    break;
                default:
                    tag = static_cast<std::uint8_t>(g.tag | (pick == 3 ? 3 : rng() % 4));
                    break;
            }
            page[kTagByte] = tag;
        }
    }
}

void SeedFsModule(StationMemory& m, std::mt19937& rng) {
    for (int g = 0; g < kFsGroups; ++g) {
        const int p = kFsFirstEntry + kFsGroupSize * g;
        for (int i = 0; i < kFsGroupSize; ++i) m.SetFsEntry(p + i, PlainValue(rng));
        // Fixed groups first: full with the extreme values, empty, ended early,
        // ended at the last entry; then a mix drawn from the seed.
        int endAt = -1;  // entry index holding the end mark
        bool empty = false;
        switch (g) {
            case 0:
                m.SetFsEntry(p + 1, 0xFFFF);
                m.SetFsEntry(p + 2, 0x8000);
                m.SetFsEntry(p + 3, 0x7FFF);
                break;
            case 1:
                empty = true;
                break;
            case 2:
                m.SetFsEntry(p, 300);
                endAt = 1;
                break;
            case 3:
                endAt = kFsGroupSize - 1;
                break;
            default: {
                const unsigned kind = rng() % 20;
                if (kind < 5)
                    empty = true;
                else if (kind < 12)
                    endAt = 1 + static_cast<int>(rng() % (kFsGroupSize - 1));
                break;
            }
        }
        if (empty) m.SetFsEntry(p, 0);
        if (endAt > 0) m.SetFsEntry(p + endAt, kFsEnd);
    }
}

}  // namespace

Identity IdentityVariant(int variant) {
    const auto v = static_cast<std::uint32_t>(variant);
    Identity id;
    id.serial = kSerialBase + (0x010203u + v * 0x0A0B0Cu) % kSerialSpan;
    id.id0 = static_cast<std::uint8_t>(0x41 + 7 * v);
    id.topBits = static_cast<std::uint8_t>((v + 1) & 3);
    id.fsKey = static_cast<std::uint16_t>(0xA5C3u + v * 0x1357u);
    return id;
}

void ApplyIdentity(StationMemory& m, const Identity& id) {
    m.SetIdentity(id.serial, id.id0, id.topBits);
    m.fsKey = id.fsKey;
}

void SeedContent(StationMemory& m, std::uint32_t seed, const Identity& id) {
    std::mt19937 rng(seed);
    for (int page = 0; page < kSamPageCount; ++page)
        for (auto& b : m.SamPage(page)) b = Byte(rng);
    for (int page = kDataFirstPage; page <= kDataLastPage; ++page)
        for (auto& b : m.DataPage(page)) b = Byte(rng);
    SeedGroupPages(m, rng);
    for (int i = 0; i < kVersionWords; ++i) m.SetVersionWord(i, kDatabaseVersion);
    ApplyIdentity(m, id);
    const auto idBytes = m.IdentityBytes();
    auto idTable = m.SamPage(kIdTablePage);
    for (int i = 0; i < 4; ++i) idTable[i] = idBytes[i];
    auto second = m.SamPage(kIdTableSecondPage);
    for (int i = 0; i < 4; ++i) second[i] = kErased;
    for (int page = kRouteFirst; page < kRouteFirst + kRoutePages; ++page) {
        auto p = m.DataPage(page);
        for (int j = 0; j < kRoutesPerPage; ++j) {
            p[kRouteBytes * j + kRouteKeyLow] = static_cast<std::uint8_t>(id.fsKey & 0xFF);
            p[kRouteBytes * j + kRouteKeyLow + 1] = static_cast<std::uint8_t>(id.fsKey >> 8);
        }
    }
    SeedFsModule(m, rng);
}

}  // namespace cv2::station
