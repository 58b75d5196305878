#include "transfer/section_readers.h"

namespace cv2 {

namespace {

constexpr int kBlockBytes = kRecordBytes;

// File byte n (0-based) of the record PutRecord would write from the block.
std::uint32_t RecordByte(const CommandBlock& block, int n) {
    const int field = n < 8 ? 8 + n : 15 - n;
    return static_cast<std::uint32_t>(block.CmdData[field]) & 0xFF;
}

// The little-endian 32-bit word at record bytes 4w..4w+3.
std::uint32_t RecordWord(const CommandBlock& block, int w) {
    return RecordByte(block, 4 * w) | RecordByte(block, 4 * w + 1) << 8 |
           RecordByte(block, 4 * w + 2) << 16 | RecordByte(block, 4 * w + 3) << 24;
}

// ReadBlock and PutRecord. False when the reader must stop: the command failed
// (Status holds its code plus step) or the file can no longer be written.
bool CopyBlock(Device& device, BackupFile& file, int offset, Step step, StatusCode& Status) {
    device.ReadBlock(static_cast<std::int16_t>(offset), Status);
    if (Status != 0) {
        AddStep(step, Status);
        return false;
    }
    file.PutRecord(device.block());
    return !file.failed();
}

}  // namespace

void FillRecordFF(CommandBlock& block) {
    for (int i = 0; i < kBlockBytes; ++i) block.CmdData[i] = 255;
}

void ReadVersionWords(Device& device, VersionWords& words, StatusCode& Status) {
    device.DataFlashRead(kVersionPage, Status);
    if (Status != 0) {
        AddStep(Step::DatabaseId, Status);
        return;
    }
    // Page bytes 24..63: the second half of block 16, then blocks 32 and 48.
    int n = 0;
    for (int offset : {16, 32, 48}) {
        device.ReadBlock(static_cast<std::int16_t>(offset), Status);
        if (Status != 0) {
            AddStep(Step::DatabaseId, Status);
            return;
        }
        for (int w = offset == 16 ? 2 : 0; w < 4; ++w) words[n++] = RecordWord(device.block(), w);
    }
    Status = 0;
}

void CheckDatabaseVersion(Device& device, BackupFile& file, VersionMode Mode,
                          StatusCode& Status) {
    VersionWords words;
    ReadVersionWords(device, words, Status);
    if (Status != 0) return;
    if (!VersionWordsValid(words)) Status = kDatabaseVersionInvalid;
    if (Status != 0 || Mode != VersionMode::Backup) return;
    for (std::uint32_t word : words) file.PutLong(word);
}

void ReadIdTable(Device& device, BackupFile& file, StatusCode& Status) {
    const Section& ids = SectionOf(SectionKind::IdTable);
    for (int page = ids.firstPage; page < ids.firstPage + ids.pageCount; ++page) {
        device.SamFlashRead(static_cast<std::int16_t>(page), Status);
        if (Status != 0) {
            AddStep(Step::ReadIdTable, Status);
            return;
        }
        for (int k = 0; k < ids.perPage; ++k) {
            if (!CopyBlock(device, file, kBlockBytes * k, Step::ReadIdTable, Status)) return;
        }
    }
    Status = 0;
}

void ReadExtraData(Device& device, BackupFile& file, StatusCode& Status) {
    const Section& extra = SectionOf(SectionKind::ExtraData);
    for (int page = extra.firstPage; page < extra.firstPage + extra.pageCount; ++page) {
        if (page == kExtraLongPage) continue;
        device.DataFlashRead(static_cast<std::int16_t>(page), Status);
        if (Status != 0) return;
        if (!CopyBlock(device, file, 0, Step::None, Status)) return;
    }
    device.DataFlashRead(kExtraLongPage, Status);
    if (Status != 0) return;
    for (int k = 0; k < extra.perPage; ++k) {
        if (!CopyBlock(device, file, kBlockBytes * k, Step::None, Status)) return;
    }
}

void ReadGroupSection(Device& device, BackupFile& file, const Section& section,
                      StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        device.DataFlashRead(static_cast<std::int16_t>(page), Status);
        if (Status != 0) {
            AddStep(Step::ReadLongData, Status);
            return;
        }
        // The first record goes into the file even when the page is unused.
        if (!CopyBlock(device, file, 0, Step::ReadLongData, Status)) return;
        if (GroupPageInUse(static_cast<std::uint8_t>(RecordByte(device.block(), kGroupTagByte)),
                           section.tag)) {
            for (int k = 1; k < section.perPage; ++k) {
                if (!CopyBlock(device, file, kBlockBytes * k, Step::ReadLongData, Status)) return;
            }
        } else {
            FillRecordFF(device.block());
            for (int k = 1; k < section.perPage; ++k) file.PutRecord(device.block());
            if (file.failed()) return;
        }
    }
    Status = 0;
}

void ReadPageSection(Device& device, BackupFile& file, const Section& section, StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        device.DataFlashRead(static_cast<std::int16_t>(page), Status);
        if (Status != 0) {
            AddStep(Step::ReadPage, Status);
            return;
        }
        for (int k = 0; k < section.perPage; ++k) {
            if (!CopyBlock(device, file, kBlockBytes * k, Step::ReadPage, Status)) return;
        }
    }
    Status = 0;
}

void ReadRouteSection(Device& device, BackupFile& file, const Section& section,
                      StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        device.DataFlashRead(static_cast<std::int16_t>(page), Status);
        if (Status != 0) {
            AddStep(Step::ReadShortData, Status);
            return;
        }
        for (int j = 0; j < section.perPage; ++j) {
            for (int i = 0; i < section.recordsPerRoute; ++i) {
                const int offset = section.routeStride * kBlockBytes * j + kBlockBytes * i;
                if (!CopyBlock(device, file, offset, Step::ReadShortData, Status)) return;
            }
        }
    }
    Status = 0;
}

}  // namespace cv2
