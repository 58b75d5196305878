#include "transfer/section_writers.h"

#include "transfer/file_layout.h"
#include "transfer/section_readers.h"

namespace cv2 {

namespace {

constexpr int kBlockBytes = kRecordBytes;
// The extra data's preset: an empty record sent at offsets 0..32, a byte apart,
// fills the first 48 bytes of the transfer buffer with 0xFF.
constexpr int kPresetWrites = 33;
// RecordBuf positions of a route's FS module key, low byte first.
constexpr int kKeyLowByte = 15;
constexpr int kKeyHighByte = 16;
constexpr int kPatchedRouteRecord = 1;

// WriteBlock of RecordBuf. False when the writer must stop: the command failed
// (Status holds its code plus step) or the file could not be read.
bool SendRecord(Device& device, const BackupFile& file, int offset, Step step, StatusCode& Status) {
    if (file.failed()) return false;
    device.WriteBlock(static_cast<std::int16_t>(offset), file.RecordBuf, Status);
    AddStep(step, Status);
    return Status == 0;
}

// Commits the transfer buffer to a data flash page; adds step on failure.
bool CommitPage(Device& device, int page, Step step, StatusCode& Status) {
    device.DataFlashWrite(static_cast<std::int16_t>(page), Status);
    AddStep(step, Status);
    return Status == 0;
}

}  // namespace

void ClearRecordBuf(RecordBuffer& RecordBuf) { RecordBuf.fill(255); }

void WriteIdTable(Device& device, BackupFile& file, std::int16_t P1, std::int16_t P2,
                  std::int16_t P3, std::int16_t P4, StatusCode& Status) {
    const bool patch = !(P1 == kNoIdentityPatch && P2 == kNoIdentityPatch &&
                         P3 == kNoIdentityPatch && P4 == kNoIdentityPatch);
    const Section& ids = SectionOf(SectionKind::IdTable);
    for (int page = ids.firstPage; page < ids.firstPage + ids.pageCount; ++page) {
        for (int k = 0; k < ids.perPage; ++k) {
            file.GetRecord();
            auto& buf = file.RecordBuf;
            const bool empty = buf[1] == 255 && buf[2] == 255 && buf[3] == 255 && buf[4] == 255;
            if (k == 0 && patch && !empty) {
                buf[1] = P1, buf[2] = P2, buf[3] = P3, buf[4] = P4;
            }
            if (!SendRecord(device, file, kBlockBytes * k, Step::WriteIdTable, Status)) return;
        }
        device.SamFlashWrite(static_cast<std::int16_t>(page), Status);
        if (Status != 0) {
            AddStep(Step::WriteIdTable, Status);
            return;
        }
    }
    Status = 0;
}

void WriteExtraData(Device& device, BackupFile& file, StatusCode& Status) {
    ClearRecordBuf(file.RecordBuf);
    for (int offset = 0; offset < kPresetWrites; ++offset) {
        device.WriteBlock(static_cast<std::int16_t>(offset), file.RecordBuf, Status);
        // A refusal of the preset does not matter; a station that does not
        // answer at all would make every remaining write wait its full time.
        if (Status == kReplyTimedOut || Status == kSendFailed || Status == kCancelled) return;
    }
    const Section& extra = SectionOf(SectionKind::ExtraData);
    for (int page = extra.firstPage; page < extra.firstPage + extra.pageCount; ++page) {
        if (page == kExtraLongPage) continue;
        file.GetRecord();
        if (!SendRecord(device, file, 0, Step::None, Status)) return;
        if (!CommitPage(device, page, Step::None, Status)) return;
    }
    for (int k = 0; k < extra.perPage; ++k) {
        file.GetRecord();
        if (!SendRecord(device, file, kBlockBytes * k, Step::None, Status)) return;
    }
    device.DataFlashWrite(kExtraLongPage, Status);
}

void WriteGroupSection(Device& device, BackupFile& file, const Section& section,
                       StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        file.GetRecord();
        if (!SendRecord(device, file, 0, Step::WriteLongData, Status)) return;
        // RecordBuf counts the record's bytes from 1.
        const bool used = GroupPageInUse(
            static_cast<std::uint8_t>(file.RecordBuf[kGroupTagByte + 1]), section.tag);
        for (int k = 1; k < section.perPage; ++k) {
            file.GetRecord();  // an unused page's empty records are read and dropped
            if (used && !SendRecord(device, file, kBlockBytes * k, Step::WriteLongData, Status)) {
                return;
            }
        }
        if (file.failed() || !CommitPage(device, page, Step::WriteLongData, Status)) return;
    }
    Status = 0;
}

void WritePageSection(Device& device, BackupFile& file, const Section& section,
                      StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        for (int k = 0; k < section.perPage; ++k) {
            file.GetRecord();
            if (!SendRecord(device, file, kBlockBytes * k, Step::WritePage, Status)) return;
        }
        if (!CommitPage(device, page, Step::WritePage, Status)) return;
    }
    Status = 0;
}

void WriteRouteSection(Device& device, BackupFile& file, const Section& section,
                       std::int32_t FsModuleKey, StatusCode& Status) {
    for (int page = section.firstPage; page < section.firstPage + section.pageCount; ++page) {
        for (int j = 0; j < section.perPage; ++j) {
            for (int i = 0; i < section.recordsPerRoute; ++i) {
                file.GetRecord();
                if (FsModuleKey != kNoRoutePatch && i == kPatchedRouteRecord) {
                    file.RecordBuf[kKeyLowByte] = static_cast<std::int16_t>(FsModuleKey & 0xFF);
                    file.RecordBuf[kKeyHighByte] =
                        static_cast<std::int16_t>((FsModuleKey / 256) & 0xFF);
                }
                const int offset = section.routeStride * kBlockBytes * j + kBlockBytes * i;
                if (!SendRecord(device, file, offset, Step::WriteShortData, Status)) return;
            }
        }
        if (!CommitPage(device, page, Step::WriteShortData, Status)) return;
    }
    Status = 0;
}

}  // namespace cv2
