#include "transfer/fs_module.h"

namespace cv2 {

void BackupFsModule(Device& device, BackupFile& file, StatusCode& Status) {
    std::int32_t K = kFsNoKey;
    FsProgOn(device, kFsModuleAddress, K, Status);
    if (Status != 0) return;
    for (int g = 0; g < kFsGroupCount; ++g) {
        const std::int32_t p = kFsFirstEntry + kFsGroupSize * g;
        std::int32_t v = 0;
        FsReadEntry(device, kFsModuleAddress, p, v, Status);
        if (Status == 0) {
            file.PutWord(v);
            if (v == kFsGroupEmpty) {
                for (int i = 1; i < kFsGroupSize; ++i) file.PutWord(0);
            } else {
                bool ended = false;
                for (int i = 1; i < kFsGroupSize && Status == 0; ++i) {
                    if (!ended) FsReadEntry(device, kFsModuleAddress, p + i, v, Status);
                    if (Status != 0) break;
                    file.PutWord(v);
                    if (v == kFsGroupEnd) ended = true;
                }
            }
        }
        // The read failure (or the file's) stays what the caller sees; the module
        // still leaves programming mode.
        if (Status != 0 || file.failed()) {
            StatusCode offStatus = 0;
            FsProgOff(device, kFsModuleAddress, K, offStatus);
            return;
        }
    }
    FsProgOff(device, kFsModuleAddress, K, Status);
}

void RestoreFsModule(Device& device, BackupFile& file, StatusCode& Status) {
    std::int32_t K = kFsNoKey;
    FsProgOn(device, kFsModuleAddress, K, Status);
    if (Status != 0) return;
    for (int g = 0; g < kFsGroupCount; ++g) {
        const std::int32_t p = kFsFirstEntry + kFsGroupSize * g;
        std::int32_t v = file.GetWord();
        FsWriteEntry(device, kFsModuleAddress, p, v, Status);
        if (Status == 0) {
            if (v == kFsGroupEmpty) {
                for (int i = 1; i < kFsGroupSize; ++i) file.GetWord();
            } else {
                // The 8s behind an end mark are written as well.
                for (int i = 1; i < kFsGroupSize && Status == 0; ++i) {
                    v = file.GetWord();
                    FsWriteEntry(device, kFsModuleAddress, p + i, v, Status);
                }
            }
        }
        if (Status != 0 || file.failed()) {
            StatusCode offStatus = 0;
            FsProgOff(device, kFsModuleAddress, K, offStatus);
            return;
        }
    }
    FsProgOff(device, kFsModuleAddress, K, Status);
}

void ReadFsModuleKey(Device& device, std::int32_t& key, StatusCode& Status) {
    key = 0;
    std::int32_t K = kFsNoKey;
    FsProgOn(device, kFsModuleAddress, K, Status);
    if (Status != 0) return;
    FsProgOff(device, kFsModuleAddress, K, Status);
    if (Status != 0) return;
    key = K;
}

}  // namespace cv2
