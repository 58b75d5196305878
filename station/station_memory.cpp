#include "station/station_memory.h"

#include <algorithm>

namespace cv2::station {

namespace {

// Page bytes of the identity block: the payload fields 0..3 that carry the
// serial travel as buffer bytes 0xFF, 0xFE, 0xFD, 0xFC (fields 7-i hold byte off+8+i).
constexpr int kId0Byte = kIdentityBlock + 15;
constexpr int kId1Byte = kIdentityBlock + 14;
constexpr int kId2Byte = kIdentityBlock + 13;
constexpr int kId3Byte = kIdentityBlock + 12;

}  // namespace

StationMemory::StationMemory()
    : sam_(static_cast<std::size_t>(kSamPageCount) * kSamPageSize, kErased),
      data_(static_cast<std::size_t>(kDataLastPage - kDataFirstPage + 1) * kDataPageSize, kErased),
      fs_(kFsEntryCount, 0) {
    transfer_.fill(kErased);
}

std::span<std::uint8_t> StationMemory::SamPage(int page) {
    if (page < 0 || page >= kSamPageCount) return {};
    return {sam_.data() + static_cast<std::size_t>(page) * kSamPageSize, kSamPageSize};
}

std::span<const std::uint8_t> StationMemory::SamPage(int page) const {
    return const_cast<StationMemory*>(this)->SamPage(page);
}

std::span<std::uint8_t> StationMemory::DataPage(int page) {
    if (page < kDataFirstPage || page > kDataLastPage) return {};
    return {data_.data() + static_cast<std::size_t>(page - kDataFirstPage) * kDataPageSize,
            kDataPageSize};
}

std::span<const std::uint8_t> StationMemory::DataPage(int page) const {
    return const_cast<StationMemory*>(this)->DataPage(page);
}

bool StationMemory::Load(std::span<const std::uint8_t> page) {
    if (page.empty()) return false;
    std::copy(page.begin(), page.end(), transfer_.begin());
    return true;
}

bool StationMemory::Store(std::span<std::uint8_t> page) {
    if (page.empty()) return false;
    std::copy_n(transfer_.begin(), page.size(), page.begin());
    return true;
}

std::array<std::uint8_t, kBlockSize> StationMemory::ReadBlock(int offset) const {
    std::array<std::uint8_t, kBlockSize> out;
    for (int i = 0; i < kBlockSize; ++i) {
        const int at = offset + i;
        out[i] = at >= 0 && at < kTransferSize ? transfer_[at] : kErased;
    }
    return out;
}

void StationMemory::WriteBlock(int offset, const std::array<std::uint8_t, kBlockSize>& bytes) {
    for (int i = 0; i < kBlockSize; ++i) {
        const int at = offset + i;
        if (at >= 0 && at < kTransferSize) transfer_[at] = bytes[i];
    }
}

std::uint32_t StationMemory::Serial() const {
    auto p = SamPage(kIdentityPage);
    return kSerialBase + (p[kId1Byte] & 0x3Fu) * 65536u + p[kId2Byte] * 256u + p[kId3Byte];
}

std::array<std::uint8_t, 4> StationMemory::IdentityBytes() const {
    auto p = SamPage(kIdentityPage);
    return {p[kId3Byte], p[kId2Byte], p[kId1Byte], p[kId0Byte]};
}

void StationMemory::SetIdentity(std::uint32_t serial, std::uint8_t id0, std::uint8_t topBits) {
    const std::uint32_t n = (serial - kSerialBase) % kSerialSpan;
    auto p = SamPage(kIdentityPage);
    p[kId3Byte] = static_cast<std::uint8_t>(n & 0xFF);
    p[kId2Byte] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
    p[kId1Byte] = static_cast<std::uint8_t>(((n >> 16) & 0x3F) | ((topBits & 3) << 6));
    p[kId0Byte] = id0;
}

std::uint32_t StationMemory::VersionWord(int index) const {
    auto p = DataPage(kVersionPage).subspan(kVersionOffset + 4 * index, 4);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StationMemory::SetVersionWord(int index, std::uint32_t value) {
    auto p = DataPage(kVersionPage).subspan(kVersionOffset + 4 * index, 4);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace cv2::station
