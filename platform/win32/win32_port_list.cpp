#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "platform/port_list.h"
#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

// 5 for "COM5"; 0 for any other name.
long ComNumber(const std::string& name) {
    if (name.size() < 4 || _strnicmp(name.c_str(), "COM", 3) != 0) return 0;
    long number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// USB serial drivers name their devices after the bus: \Device\USBSER000,
// \Device\VCP0 (FTDI), \Device\Silabser0, \Device\ProlificSerial0.
bool LooksLikeUsb(const std::string& device) {
    std::string lower = device;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* mark : {"usb", "vcp", "silab", "prolific", "ch34"}) {
        if (lower.find(mark) != std::string::npos) return true;
    }
    return false;
}

void AddPort(std::vector<PortEntry>& ports, const std::string& name, const std::string& device) {
    if (ComNumber(name) == 0) return;
    for (const PortEntry& p : ports) {
        if (_stricmp(p.path.c_str(), name.c_str()) == 0) return;
    }
    PortEntry entry;
    entry.path = name;
    entry.description = device;
    ports.push_back(std::move(entry));
}

// The ports the serial drivers have registered: value name the driver's
// device, value data the COM name.
void AddRegisteredPorts(std::vector<PortEntry>& ports) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t device[256];
        wchar_t name[64];
        DWORD deviceLength = 256, nameBytes = sizeof name, type = 0;
        const LONG rc = RegEnumValueW(key, i, device, &deviceLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(name), &nameBytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        name[std::min<DWORD>(nameBytes / sizeof(wchar_t), 63)] = L'\0';
        AddPort(ports, Utf8(name), Utf8(std::wstring(device, deviceLength)));
    }
    RegCloseKey(key);
}

// COM names the system knows without a driver entry (a port set up by hand).
void AddDosDevicePorts(std::vector<PortEntry>& ports) {
    std::wstring names(65536, L'\0');
    const DWORD length = QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
    for (std::size_t at = 0; at < length && names[at] != L'\0';) {
        const std::wstring name(names.c_str() + at);
        at += name.size() + 1;
        if (ComNumber(Utf8(name)) == 0) continue;
        wchar_t target[512] = {};
        QueryDosDeviceW(name.c_str(), target, 512);
        AddPort(ports, Utf8(name), Utf8(target));
    }
}

}  // namespace

std::vector<PortEntry> AvailablePorts() {
    std::vector<PortEntry> ports;
    AddRegisteredPorts(ports);
    AddDosDevicePorts(ports);
    // The interface just plugged in is a USB device: those come first, each
    // kind by its COM number.
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        const bool usbA = LooksLikeUsb(a.description), usbB = LooksLikeUsb(b.description);
        if (usbA != usbB) return usbA;
        return ComNumber(a.path) < ComNumber(b.path);
    });
    return ports;
}

}  // namespace cv2
