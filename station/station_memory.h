// The simulated station's memory: SAM flash pages, data flash pages, the
// transfer buffer that page loads and 16-byte block moves go through, the FS
// module's entries and key, and the identity bytes on SAM page 63.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace cv2::station {

constexpr int kSamPageSize = 256;
constexpr int kSamPageCount = 1024;
constexpr int kDataPageSize = 512;
constexpr int kDataFirstPage = 6144;
constexpr int kDataLastPage = 8191;
constexpr int kTransferSize = 512;
constexpr int kBlockSize = 16;
constexpr int kFsFirstEntry = 5;
constexpr int kFsLastEntry = 2004;
constexpr int kFsEntryCount = kFsLastEntry - kFsFirstEntry + 1;
constexpr std::uint8_t kErased = 0xFF;

// Where the serial number and identity bytes live: SAM page 63, bytes 0xF0..0xFF.
constexpr int kIdentityPage = 63;
constexpr int kIdentityBlock = 0xF0;
constexpr std::uint32_t kSerialBase = 1200000000;
constexpr std::uint32_t kSerialSpan = 0x400000;  // 6 + 8 + 8 bits above the base

// The database version words: ten little-endian 32-bit words on data page 8003 from byte 24.
constexpr int kVersionPage = 8003;
constexpr int kVersionOffset = 24;
constexpr int kVersionWords = 10;
constexpr std::uint32_t kDatabaseVersion = 5;

class StationMemory {
public:
    StationMemory();

    // A whole page, or an empty span when the page does not exist.
    std::span<std::uint8_t> SamPage(int page);
    std::span<const std::uint8_t> SamPage(int page) const;
    std::span<std::uint8_t> DataPage(int page);
    std::span<const std::uint8_t> DataPage(int page) const;

    // Page loads and commits through the transfer buffer; false for a page that does not exist.
    bool LoadSamPage(int page) { return Load(SamPage(page)); }
    bool StoreSamPage(int page) { return Store(SamPage(page)); }
    bool LoadDataPage(int page) { return Load(DataPage(page)); }
    bool StoreDataPage(int page) { return Store(DataPage(page)); }

    // 16 bytes at any byte offset of the transfer buffer; bytes past its end
    // read as erased and are dropped on writing.
    std::array<std::uint8_t, kBlockSize> ReadBlock(int offset) const;
    void WriteBlock(int offset, const std::array<std::uint8_t, kBlockSize>& bytes);

    std::array<std::uint8_t, kTransferSize>& transfer() { return transfer_; }

    // FS module entries 5..2004; other numbers do not exist.
    static bool FsEntryExists(int entry) { return entry >= kFsFirstEntry && entry <= kFsLastEntry; }
    std::uint16_t FsEntry(int entry) const { return fs_.at(entry - kFsFirstEntry); }
    void SetFsEntry(int entry, std::uint16_t value) { fs_.at(entry - kFsFirstEntry) = value; }
    std::uint16_t fsKey = 0;

    // Serial number as the program decodes it: 1200000000 + (b1 & 0x3F) * 65536 + b2 * 256 + b3,
    // where b0..b3 are the first four payload fields of the block at 0xF0.
    std::uint32_t Serial() const;
    // The four identity bytes in the order the program passes them on (id3, id2, id1, id0).
    std::array<std::uint8_t, 4> IdentityBytes() const;
    // Stores the serial (its offset from the base taken modulo the span) and the byte id0;
    // topBits go into the two bits of id1 that the serial ignores.
    void SetIdentity(std::uint32_t serial, std::uint8_t id0, std::uint8_t topBits = 0);

    std::uint32_t VersionWord(int index) const;
    void SetVersionWord(int index, std::uint32_t value);

private:
    bool Load(std::span<const std::uint8_t> page);
    bool Store(std::span<std::uint8_t> page);

    std::vector<std::uint8_t> sam_;
    std::vector<std::uint8_t> data_;
    std::array<std::uint8_t, kTransferSize> transfer_{};
    std::vector<std::uint16_t> fs_;
};

}  // namespace cv2::station
