#include "platform/port_list.h"

#include <filesystem>
#include <system_error>

#include "platform/system_reason.h"

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace cv2 {

namespace {

// Read and write permission for the owning group.
constexpr unsigned kGroupReadWrite = 060;
constexpr unsigned kRootGroup = 0;
// Where the group cannot be found out, the one Debian gives serial devices.
constexpr const char* kUsualSerialGroup = "dialout";

}  // namespace

std::string StableName(const std::string& device, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec) return {};
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code linkEc;
        if (entry.is_symlink(linkEc) && fs::canonical(entry.path(), linkEc) == target && !linkEc) {
            return entry.path().string();
        }
    }
    return {};
}

std::string GroupToJoin(unsigned mode, unsigned gid, const std::string& groupName) {
    return (mode & kGroupReadWrite) != kGroupReadWrite || gid == kRootGroup ? "" : groupName;
}

PortAccess AccessOf(const std::string& device) {
    PortAccess access;
#ifndef _WIN32
    if (::access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return access;
    access.mayOpen = false;
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        access.group = kUsualSerialGroup;
    } else if (const struct group* g = ::getgrgid(st.st_gid)) {
        access.group = GroupToJoin(st.st_mode, st.st_gid, g->gr_name);
    }
#else
    (void)device;
#endif
    return access;
}

std::string NotAPortReason(const std::string& device) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return errno == ENOENT ? "" : SystemReason(errno);
    if (S_ISDIR(st.st_mode)) return "das ist ein Ordner, keine serielle Schnittstelle";
    if (!S_ISCHR(st.st_mode)) return "das ist eine Datei, keine serielle Schnittstelle";
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EBUSY ? "" : SystemReason(errno);
    struct termios line {};
    const bool terminal = ::tcgetattr(fd, &line) == 0;
    ::close(fd);
    if (!terminal) return SystemReason(ENOTTY);
#else
    (void)device;
#endif
    return {};
}

std::string PermissionAdvice(const PortAccess& access) {
    if (access.group.empty()) {
        return "Das Gerät dürfen nur sein Besitzer und root öffnen; der Systemverwalter kann es "
               "mit einer udev-Regel für eine Gruppe freigeben";
    }
    return "Unter Linux muss der Benutzer in der Gruppe \"" + access.group +
           "\" sein, der das Gerät gehört (sudo usermod -aG " + access.group +
           " $USER), und sich danach neu anmelden";
}

}  // namespace cv2
