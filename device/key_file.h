// The key file: the station's two keys in a small text file the user puts in
// place, so that a real station is reached without rebuilding the program.
// Where the programs look for it, how it is read, and how they name the keys
// in use. A file that is there but wrong is never replaced by the built-in keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keys/keys.h"
#include "device/status.h"

namespace cv2 {

// The file a system administrator puts in place for every user.
inline constexpr const char* kSystemKeyFile = "/etc/cv2sicherung/keys";
// Where the keys go, as the user's advice texts name the two places.
inline constexpr const char* kKeyFilePlaces =
    "~/.config/cv2sicherung/keys (für einen Benutzer) oder /etc/cv2sicherung/keys (für alle)";
// A file larger than this is no key file; reading stops there.
inline constexpr std::size_t kKeyFileReadCap = 4096;

// The keys a program runs with, and where they came from.
struct KeySource {
    KeyTable keys = kBuiltInKeys;
    std::string path;   // the key file read; empty for the built-in test values
    std::string error;  // German, naming the file, the line and what is wrong
    bool ok() const { return error.empty(); }
    bool builtIn() const { return path.empty(); }
};

// Reads "ServiceKey = 4E 17 ..." (8 bytes) and "PayloadKey = ..." (16 bytes):
// hex bytes below 0x80 apart by blanks or commas, "0x" allowed, "#" starts a
// comment, names in any case. On a mistake returns false with the line it is
// in (0 when a line is missing) and the problem in German.
bool ParseKeyText(std::string_view text, KeyTable& keys, int& line, std::string& problem);

// Where a program looks when no file is named: the user's file first, then
// the system's. configFolder: the user's configuration folder, may be empty.
std::vector<std::string> KeyFileCandidates(const std::string& configFolder);

// The keys from namedPath (--keys), or from the first candidate that exists,
// or the built-in test values when there is none.
KeySource LoadKeys(const std::string& namedPath, const std::vector<std::string>& candidates);
// The same for this process's environment.
KeySource LoadKeys(const std::string& namedPath);

// "Schlüssel: eingebaute Testwerte" or "Schlüssel: aus PATH".
std::string KeysInUse(const KeySource& source);

// Where a real station's keys go, for the user's advice texts.
std::string OwnKeysAdvice();

// With the built-in keys, a station that does not confirm the bootloader start
// most likely has keys of its own: the advice where they go. Empty otherwise,
// also when the frame could not even be sent.
std::string KeysAdvice(const KeySource& keys, StatusCode status);

}  // namespace cv2
