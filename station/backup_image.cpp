#include "station/backup_image.h"

#include <algorithm>

namespace cv2::station {

namespace {

struct GroupSection {
    int firstPage, pageCount, recordsPerPage;
    std::uint8_t tag;
};

// File order: locomotives, keyboard, feedback, TALIX and route groups, boosters.
constexpr GroupSection kGroupSections[] = {
    {7501, 500, 5, 0x00}, {7168, 64, 7, 0xC0}, {7232, 64, 7, 0xE0},
    {7424, 64, 7, 0xD0},  {7360, 64, 7, 0xF0}, {7296, 64, 9, 0x88},
};
constexpr int kPageSectionFirst[] = {6400, 6656, 6144};
constexpr int kPageSectionPages = 256;
constexpr int kIdTablePages[] = {964, 965};
constexpr int kExtraFirst = 8180, kExtraLast = 8191, kExtraWide = 8182, kExtraWideRecords = 7;
constexpr int kRouteFirst = 6912, kRoutePages = 256, kRoutesPerPage = 8, kRouteStride = 4,
              kRecordsPerRoute = 3;
constexpr int kTagByte = 3;  // page byte that tells whether a group page is in use
constexpr std::uint8_t kTagMask = 0xFC;
constexpr int kFsGroups = 80, kFsGroupSize = 25;
constexpr std::uint16_t kFsEmpty = 0, kFsEnd = 8;

// One sequential cursor over the image, in either direction.
class Cursor {
public:
    explicit Cursor(std::uint8_t* base) : p_(base) {}
    void PutLong(std::uint32_t v) {
        for (int n = 3; n >= 0; --n) *p_++ = static_cast<std::uint8_t>(v >> (8 * n));
    }
    void PutWord(std::uint16_t v) {
        *p_++ = static_cast<std::uint8_t>(v >> 8);
        *p_++ = static_cast<std::uint8_t>(v);
    }
    void Put(std::span<const std::uint8_t> bytes) {
        p_ = std::copy(bytes.begin(), bytes.end(), p_);
    }
    void PutErased(int count) { p_ = std::fill_n(p_, count, kErased); }
    std::uint32_t GetLong() {
        std::uint32_t v = 0;
        for (int n = 0; n < 4; ++n) v = (v << 8) | *p_++;
        return v;
    }
    std::uint16_t GetWord() {
        const std::uint16_t v = static_cast<std::uint16_t>((p_[0] << 8) | p_[1]);
        p_ += 2;
        return v;
    }
    std::span<const std::uint8_t> Get(int count) {
        std::span<const std::uint8_t> s(p_, static_cast<std::size_t>(count));
        p_ += count;
        return s;
    }
    void Skip(int count) { p_ += count; }

private:
    std::uint8_t* p_;
};

std::span<const std::uint8_t> Record(std::span<const std::uint8_t> page, int offset) {
    return page.subspan(static_cast<std::size_t>(offset), kBlockSize);
}

void Copy(std::span<const std::uint8_t> from, std::span<std::uint8_t> page, int offset) {
    std::copy(from.begin(), from.end(), page.begin() + offset);
}

}  // namespace

std::vector<std::uint8_t> RenderBackupImage(const StationMemory& m) {
    std::vector<std::uint8_t> image(kBackupSize, 0);
    Cursor out(image.data());
    out.PutLong(m.Serial());
    for (int i = 0; i < kVersionWords; ++i) out.PutLong(m.VersionWord(i));
    for (int page : kIdTablePages) out.Put(m.SamPage(page).first(kSamPageSize));
    for (int page = kExtraFirst; page <= kExtraLast; ++page)
        if (page != kExtraWide) out.Put(Record(m.DataPage(page), 0));
    out.Put(m.DataPage(kExtraWide).first(kExtraWideRecords * kBlockSize));
    for (const auto& s : kGroupSections) {
        for (int page = s.firstPage; page < s.firstPage + s.pageCount; ++page) {
            auto p = m.DataPage(page);
            if ((p[kTagByte] & kTagMask) == s.tag) {
                out.Put(p.first(static_cast<std::size_t>(s.recordsPerPage) * kBlockSize));
            } else {
                out.Put(Record(p, 0));
                out.PutErased((s.recordsPerPage - 1) * kBlockSize);
            }
        }
    }
    for (int first : kPageSectionFirst)
        for (int page = first; page < first + kPageSectionPages; ++page) out.Put(m.DataPage(page));
    for (int page = kRouteFirst; page < kRouteFirst + kRoutePages; ++page)
        for (int j = 0; j < kRoutesPerPage; ++j)
            for (int i = 0; i < kRecordsPerRoute; ++i)
                out.Put(Record(m.DataPage(page), kRouteStride * kBlockSize * j + kBlockSize * i));
    for (int g = 0; g < kFsGroups; ++g) {
        const int p = kFsFirstEntry + kFsGroupSize * g;
        const std::uint16_t first = m.FsEntry(p);
        out.PutWord(first);
        bool ended = false;
        for (int i = 1; i < kFsGroupSize; ++i) {
            // An empty group is written as zeros; behind an end mark every word is the mark.
            std::uint16_t v = first == kFsEmpty ? kFsEmpty : ended ? kFsEnd : m.FsEntry(p + i);
            if (v == kFsEnd) ended = true;
            out.PutWord(v);
        }
    }
    return image;
}

bool LoadBackupImage(StationMemory& m, std::span<const std::uint8_t> image) {
    if (image.size() != kBackupSize) return false;
    std::vector<std::uint8_t> copy(image.begin(), image.end());
    Cursor in(copy.data());
    const std::uint32_t serial = in.GetLong();
    for (int i = 0; i < kVersionWords; ++i) m.SetVersionWord(i, in.GetLong());
    for (int page : kIdTablePages) Copy(in.Get(kSamPageSize), m.SamPage(page), 0);
    for (int page = kExtraFirst; page <= kExtraLast; ++page)
        if (page != kExtraWide) Copy(in.Get(kBlockSize), m.DataPage(page), 0);
    Copy(in.Get(kExtraWideRecords * kBlockSize), m.DataPage(kExtraWide), 0);
    for (const auto& s : kGroupSections) {
        for (int page = s.firstPage; page < s.firstPage + s.pageCount; ++page) {
            auto first = in.Get(kBlockSize);
            Copy(first, m.DataPage(page), 0);
            const int rest = (s.recordsPerPage - 1) * kBlockSize;
            if ((first[kTagByte] & kTagMask) == s.tag)
                Copy(in.Get(rest), m.DataPage(page), kBlockSize);
            else
                in.Skip(rest);
        }
    }
    for (int first : kPageSectionFirst)
        for (int page = first; page < first + kPageSectionPages; ++page)
            Copy(in.Get(kDataPageSize), m.DataPage(page), 0);
    for (int page = kRouteFirst; page < kRouteFirst + kRoutePages; ++page)
        for (int j = 0; j < kRoutesPerPage; ++j)
            for (int i = 0; i < kRecordsPerRoute; ++i)
                Copy(in.Get(kBlockSize), m.DataPage(page),
                     kRouteStride * kBlockSize * j + kBlockSize * i);
    for (int g = 0; g < kFsGroups; ++g) {
        const int p = kFsFirstEntry + kFsGroupSize * g;
        const std::uint16_t first = in.GetWord();
        m.SetFsEntry(p, first);
        for (int i = 1; i < kFsGroupSize; ++i) {
            const std::uint16_t v = in.GetWord();
            if (first != kFsEmpty) m.SetFsEntry(p + i, v);
        }
    }
    // The ID table's first record starts with the identity bytes id3, id2, id1, id0.
    auto id = m.SamPage(kIdTablePages[0]);
    const std::uint32_t n = serial - kSerialBase;
    const bool same =
        id[0] == (n & 0xFF) && id[1] == ((n >> 8) & 0xFF) && (id[2] & 0x3F) == ((n >> 16) & 0x3F);
    m.SetIdentity(serial, same ? id[3] : 0, same ? static_cast<std::uint8_t>(id[2] >> 6) : 0);
    return true;
}

}  // namespace cv2::station
