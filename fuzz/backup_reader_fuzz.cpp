// The backup file reader behind inspect, diff and verify, fed files of any
// length: the input's first two bytes choose the length (short, or a complete
// backup with a tail), the rest is the pattern the file repeats. A short file
// is refused with a reason; a complete one is summarised and compared, within
// the layout, and both reports are produced.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/backup_analysis.h"
#include "cli/reports.h"
#include "fuzz/fuzz_check.h"

using cv2::fuzz::Check;
using namespace cv2::cli;

namespace {

constexpr std::uint16_t kComplete = 0x8000;  // length bit: a complete backup and a tail
constexpr std::size_t kShortUnit = 19;       // short files grow in steps of this

// One file per fuzzing process, rewritten for each input.
const std::string& ScratchPath() {
    static const std::string path = [] {
        char name[] = "/tmp/cv2-backup-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        Check(fd >= 0);
        close(fd);
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint16_t choice = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    const std::size_t length = (choice & kComplete) ? cv2::kBackupFileSize + (choice & 0x3FF)
                                                    : (choice & 0x7FFF) * kShortUnit;
    Image content(length, 0xFF);
    if (size > 2) {
        for (std::size_t i = 0; i < length; ++i) content[i] = data[2 + i % (size - 2)];
    }
    std::FILE* f = std::fopen(ScratchPath().c_str(), "wb");
    Check(f && std::fwrite(content.data(), 1, length, f) == length);
    std::fclose(f);

    const cv2::BackupImage file = cv2::LoadBackupImage(ScratchPath());
    if (length < static_cast<std::size_t>(cv2::kBackupFileSize)) {
        Check(!file.error.empty());
        return 0;
    }
    Check(file.error.empty() && file.size == static_cast<std::int64_t>(length));
    Check(file.bytes.size() == static_cast<std::size_t>(cv2::kBackupFileSize));

    const Summary summary = Summarize(file);
    for (const SectionUse& use : summary.sections) Check(use.used >= 0 && use.used <= use.total);
    Check(!InspectText(ScratchPath(), summary).empty());
    Check(!InspectJson(ScratchPath(), summary).empty());

    // A file equals itself; made comparable with a fresh read, it can differ
    // only in the group sections, and only behind each page's first record.
    Check(CompareImages(file.bytes, file.bytes).empty());
    Image asRead = file.bytes;
    AsBackupWouldWrite(asRead);
    const auto diffs = CompareImages(file.bytes, asRead);
    for (const SectionDiff& d : diffs) {
        Check(cv2::kFileLayout[d.section].kind == cv2::SectionKind::Group);
        Check(!d.units.empty() && d.bytes > 0);
    }
    Check(!ComparisonText("Vergleich", diffs).empty());
    Check(!ComparisonJson(diffs).empty());
    return 0;
}
