// The FS module's entries in the backup file: the backup and restore of its
// 2,000 entries in 80 groups, and the query of its key, over the module's
// own commands.
#pragma once

#include <cstdint>

#include "device/fs_commands.h"
#include "device/status.h"
#include "transfer/backup_file.h"
#include "transfer/file_layout.h"

namespace cv2 {

// Entries 5..2004, in 80 groups of 25.
constexpr std::int32_t kFsFirstEntry = SectionOf(SectionKind::FsModule).firstPage;
constexpr int kFsGroupCount = SectionOf(SectionKind::FsModule).pageCount;
constexpr int kFsGroupSize = SectionOf(SectionKind::FsModule).perPage;
// A first entry of 0 marks a group empty; an entry of 8 ends a group.
constexpr std::int32_t kFsGroupEmpty = 0;
constexpr std::int32_t kFsGroupEnd = 8;

// Appends the module's entries (4,000 bytes) to the backup file. Empty groups
// cost one read; behind an end mark the group is filled with 8 unread.
void BackupFsModule(Device& device, BackupFile& file, StatusCode& Status);
// Writes the entries of the backup file back into the module.
void RestoreFsModule(Device& device, BackupFile& file, StatusCode& Status);
// The module's key: programming on, then off again.
void ReadFsModuleKey(Device& device, std::int32_t& key, StatusCode& Status);

}  // namespace cv2
