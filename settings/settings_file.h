// The settings file "CV2_DF.INF": three CR LF lines (COM port, baud rate, an
// empty file name) read at start and written at the end. Reading never fails
// loudly: anything unexpected gives the defaults.
#pragma once

#include <cstddef>
#include <string>

#include "settings/settings.h"

namespace cv2 {

constexpr const char* kSettingsFileName = "CV2_DF.INF";
// A file we write is a few dozen bytes; reading stops here so that a huge
// file cannot exhaust memory.
constexpr std::size_t kSettingsReadCap = 64 * 1024;

// The file's content for these settings. The backup file name is always
// written empty, so the next run starts without a file.
std::string FormatSettingsText(const Settings& s);

// What reading the settings came to.
struct SettingsLoad {
    bool read = false;    // false: the defaults were used
    std::string refused;  // why the port read was not taken (the default port is used)
    explicit operator bool() const { return read; }
};

// Reads COM port, baud rate and file name from the text into s and sets both
// interface flags (every run starts with the USB interface). When fewer than
// three items can be read, or the baud rate is not a number, all five
// values get their defaults; a rate that no interface allows reads as the
// default rate, and a port name that cannot name a port as the default port,
// with the reason in refused. complete says whether the text is the whole file
// (false when it was cut at the read cap).
SettingsLoad ParseSettingsText(const std::string& text, bool complete, Settings& s);

// LoadSettings: reads the file at path into s; a missing, unreadable, short or
// malformed file, or a name that is no regular file, gives the defaults silently.
SettingsLoad LoadSettings(const std::string& path, Settings& s);

// Writes the file at path (created or emptied). False when it could not be
// written, or the name is taken by something other than a regular file; the
// caller ends the program all the same.
bool SaveSettings(const std::string& path, const Settings& s);

}  // namespace cv2
