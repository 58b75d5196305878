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

bool FolderWritable(const std::string& folder) {
#ifdef _WIN32
    constexpr int kWritePermission = 2;
    return ::_access(folder.c_str(), kWritePermission) == 0;
#else
    return ::access(folder.c_str(), W_OK) == 0;
#endif
}

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string ConfigFolder(const std::string& xdgConfigHome, const std::string& home) {
    std::filesystem::path base;
    if (!xdgConfigHome.empty() && std::filesystem::path(xdgConfigHome).is_absolute()) {
        base = xdgConfigHome;
    } else if (!home.empty()) {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return (base / kConfigSubfolder).string();
}

std::string SettingsFolder(const std::string& programDir, bool programDirWritable,
                           const std::string& configFolder) {
    // Without a configuration folder, stay beside the program, where saving may
    // fail but loading still gives the defaults.
    return programDirWritable || configFolder.empty() ? programDir : configFolder;
}

std::string UserConfigFolder() {
#ifdef _WIN32
    // The user's roaming application data takes the place of the XDG folder.
    return ConfigFolder(EnvOrEmpty("APPDATA"), "");
#else
    return ConfigFolder(EnvOrEmpty("XDG_CONFIG_HOME"), EnvOrEmpty("HOME"));
#endif
}

std::string SettingsFilePath(const std::string& programDir) {
    const std::string folder =
        SettingsFolder(programDir, FolderWritable(programDir), UserConfigFolder());
    if (folder != programDir) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    return (std::filesystem::path(folder) / kSettingsFileName).string();
}

}  // namespace cv2
