// cv2cli info: a harmless first contact. It opens the port, starts the
// bootloader, reads the serial number, the identity bytes and the database
// version words, asks the FS module whether it answers, ends the bootloader and
// closes the port; nothing of the database is written. Also what it tells the
// user, in German text or JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/backup_analysis.h"
#include "device/device.h"
#include "device/key_file.h"
#include "transfer/section_readers.h"

namespace cv2::cli {

enum class ProbeStep { Open, BootloaderStart, SerialNumber, VersionWords, FsModule, BootloaderEnd };

struct ProbeStepResult {
    ProbeStep step;
    StatusCode status;  // 0: done
    double seconds;
};

struct StationProbe {
    std::vector<ProbeStepResult> steps;  // in the order they ran
    std::string portProblem;             // the link's account of a port it could not set up
    StatusCode status = 0;  // the first failure of the contact itself; the FS module's is apart
    std::optional<double> serial;
    std::array<std::int16_t, 4> identity{};  // id3, id2, id1, id0
    std::optional<VersionWords> versions;
    std::optional<StatusCode> fsModule;  // the FS module's answer: 0 it answers
};

// Runs the first contact over an unopened link; the port is closed again at the end.
StationProbe ProbeStation(Link& link, Device& device, const LinkConfig& config);

// What the user is told besides the probe: how the station is reached, which
// keys are in use, and the backup file asked about (path empty: none).
struct InfoContext {
    std::string port;
    InterfaceKind interfaceKind = InterfaceKind::UsbInterface;
    long baud = 0;
    KeySource keys;
    std::string filePath;
    Summary file;
    // Over TCP: what the LocoNet server said of itself (empty: nothing).
    std::string server;
};

// True when a backup and a restore (of the file, when one is given) can run.
bool Ready(const StationProbe& probe, const InfoContext& context);

std::string InfoText(const InfoContext& context, const StationProbe& probe);
std::string InfoJson(const InfoContext& context, const StationProbe& probe);

}  // namespace cv2::cli
