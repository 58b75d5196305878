#include "settings/settings_location.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

bool FolderWritable(const std::string& folder) {
#ifdef _WIN32
    constexpr int kWritePermission = 2;
    return ::_access(folder.c_str(), kWritePermission) == 0;
#else
    return ::access(folder.c_str(), W_OK) == 0;
#endif
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
#ifdef _WIN32
    // The user's roaming application data takes the place of the XDG folder.
    const std::string folder =
        SettingsFolder(programDir, FolderWritable(programDir), EnvOrEmpty("APPDATA"), "");
#else
    const std::string folder = SettingsFolder(programDir, FolderWritable(programDir),
                                              EnvOrEmpty("XDG_CONFIG_HOME"), EnvOrEmpty("HOME"));
#endif
    if (folder != programDir) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    return (std::filesystem::path(folder) / kSettingsFileName).string();
}

}  // namespace cv2
