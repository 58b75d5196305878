// Feeds arbitrary text to the settings file reader, whole or cut at the read
// cap, and checks what it promises: a text it rejects gives the defaults, and
// settings it accepts come back unchanged when written and read again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "link/port_name.h"
#include "settings/options_logic.h"
#include "settings/settings_file.h"

using cv2::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte says whether the text is the whole file.
    const bool complete = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    cv2::Settings s;
    s.ComPort = cv2::ComPortSetting::Text("vorher");
    s.BaudRate = 1;
    s.Interface = cv2::InterfaceKind::TandemoPort;
    const bool read = cv2::ParseSettingsText(text, complete, s).read;
    // Every run starts with the USB interface, whatever the file holds.
    Check(s.Interface == cv2::InterfaceKind::UsbInterface);
    // Only a rate some interface allows is kept, and never a port no system can open.
    Check(std::find(cv2::kBaudRates.begin(), cv2::kBaudRates.end(), s.BaudRate) !=
          cv2::kBaudRates.end());
    Check(cv2::PortNameProblem(s.ComPort.ToText()).empty());
    if (!read) {
        const cv2::Settings defaults;
        Check(s.ComPort == defaults.ComPort && s.BaudRate == defaults.BaudRate &&
              s.BackupFileName.empty());
        return 0;
    }
    // A port text with a quote in it cannot be written back in quotes.
    if (s.ComPort.isText && s.ComPort.text.find('"') != std::string::npos) return 0;
    cv2::Settings again;
    Check(cv2::ParseSettingsText(cv2::FormatSettingsText(s), true, again).read);
    Check(again.ComPort == s.ComPort && again.BaudRate == s.BaudRate &&
          again.BackupFileName.empty());
    return 0;
}
