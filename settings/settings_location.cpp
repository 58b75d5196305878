#include "settings/settings_location.h"

#ifdef _WIN32
#include <windows.h>
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
    // Windows answers _access for a folder by its read-only attribute alone, which
    // the installed program's folder under "Program Files" does not carry though a
    // user may not write there; a file made there and gone again on closing asks
    // the system itself. The name holds the process id, so two programs started
    // side by side do not take each other's probe for a refusal.
    const std::string probe =
        folder + "\\.cv2sicherung-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE file = CreateFileA(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
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
