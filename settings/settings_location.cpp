#include "settings/settings_location.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "settings/settings_file.h"

namespace cv2 {

namespace {

constexpr const char* kConfigSubfolder = "cv2sicherung";

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string SettingsFolder(const std::string& programDir, bool programDirWritable,
                           const std::string& xdgConfigHome, const std::string& home) {
    if (programDirWritable) return programDir;
    std::filesystem::path base;
    if (!xdgConfigHome.empty() && std::filesystem::path(xdgConfigHome).is_absolute()) {
        base = xdgConfigHome;
    } else if (!home.empty()) {
        base = std::filesystem::path(home) / ".config";
    } else {
        // Nowhere better to go: stay beside the program, where saving may fail
        // but loading still gives the defaults.
        return programDir;
    }
    return (base / kConfigSubfolder).string();
}

std::string SettingsFilePath(const std::string& programDir) {
    const bool writable = ::access(programDir.c_str(), W_OK) == 0;
    const std::string folder =
        SettingsFolder(programDir, writable, EnvOrEmpty("XDG_CONFIG_HOME"), EnvOrEmpty("HOME"));
    if (folder != programDir) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    return (std::filesystem::path(folder) / kSettingsFileName).string();
}

}  // namespace cv2
