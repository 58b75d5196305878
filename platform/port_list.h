// The machine's serial ports as a user recognises them: the stable name under
// /dev/serial/by-id/ where the system gives one, what the USB device reports
// of itself, and whether this user may open the port or which group to join.
// Plain C++; the Qt enumeration of the ports lives in platform/qt.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cv2 {

// Where Linux keeps a link per USB serial device, named after maker, product
// and serial number, that stays the same whichever ttyUSBn the device gets.
inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

struct PortAccess {
    bool mayOpen = true;  // false only when the system denies this user the device
    std::string group;    // when denied: the group to join; empty when no group helps
};

struct PortEntry {
    std::string path;        // the system's name: /dev/ttyUSB0, COM3
    std::string stableName;  // its link in kSerialByIdFolder; empty when there is none
    std::string description, manufacturer;
    std::optional<int> vendorId, productId;
    PortAccess access;
    // The name to give the program: the stable one where there is one.
    const std::string& name() const { return stableName.empty() ? path : stableName; }
};

// The link in folder that leads to device, or empty.
std::string StableName(const std::string& device, const std::string& folder = kSerialByIdFolder);

// Whether this user may open device for reading and writing (always on Windows).
PortAccess AccessOf(const std::string& device);

// The group whose members may open a device with this mode (permission bits),
// owned by this group; empty when joining it would not help: the group has no
// read and write permission, or it is root's group (gid 0), which no user
// should join.
std::string GroupToJoin(unsigned mode, unsigned gid, const std::string& groupName);

// Why device is no serial port at all, seen without opening it (a folder, a
// file, a name too long, a device that is no terminal); empty when nothing
// speaks against it. German.
std::string NotAPortReason(const std::string& device);

// The machine's serial ports, each with its stable name and whether this user
// may open it; the USB devices first. Each platform implements it
// (platform/qt: as Qt finds them).
std::vector<PortEntry> AvailablePorts();

// What a user who is denied the device does about it, in German.
std::string PermissionAdvice(const PortAccess& access);

}  // namespace cv2
