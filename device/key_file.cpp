#include "device/key_file.h"

#include "device/status.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "device/device.h"
#include "platform/system_reason.h"
#include "settings/settings_location.h"

namespace cv2 {

namespace {

constexpr const char* kKeyFileName = "keys";
// How much of an unexpected word a message quotes.
constexpr std::size_t kQuotedChars = 24;

struct KeyLine {
    std::string_view name;
    std::uint8_t* bytes;
    std::size_t count;
    int line = 0;  // where it was given, 0 while it was not
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A word of the file as a message shows it: cut short (after a whole UTF-8
// character), control bytes as '?'.
std::string Quoted(std::string_view word) {
    std::size_t n = std::min(word.size(), kQuotedChars);
    while (n < word.size() && (static_cast<unsigned char>(word[n]) & 0xC0) == 0x80) ++n;
    std::string out = "„";
    for (std::size_t i = 0; i < n; ++i) {
        out += static_cast<unsigned char>(word[i]) < 0x20 ? '?' : word[i];
    }
    if (n < word.size()) out += "…";
    return out + "“";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The hex bytes of a key line into key.bytes; false with the problem.
bool ParseBytes(std::string_view text, KeyLine& key, std::string& problem) {
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (IsBlank(text[pos]) || text[pos] == ',') {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !IsBlank(text[end]) && text[end] != ',') ++end;
        const std::string_view word = text.substr(pos, end - pos);
        pos = end;
        std::string_view digits = word;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
        }
        bool hex = !digits.empty() && digits.size() <= 2;
        int value = 0;
        for (std::size_t i = 0; hex && i < digits.size(); ++i) {
            hex = HexDigit(digits[i]) >= 0;
            value = value * 16 + HexDigit(digits[i]);
        }
        if (!hex) {
            problem = Quoted(word) + " ist kein Hex-Byte (00 bis 7F)";
            return false;
        }
        if (value >= 0x80) {
            problem = "das Byte " + Quoted(word) +
                      " ist zu groß: jedes Schlüsselbyte liegt unter 80 (hex)";
            return false;
        }
        if (count < key.count) key.bytes[count] = static_cast<std::uint8_t>(value);
        ++count;
    }
    if (count != key.count) {
        problem = std::string(key.name) + " hat " + std::to_string(count) + " Bytes, es müssen " +
                  std::to_string(key.count) + " sein";
        return false;
    }
    return true;
}

}  // namespace

bool ParseKeyText(std::string_view text, KeyTable& keys, int& line, std::string& problem) {
    KeyTable read;
    KeyLine lines[] = {
        {"ServiceKey", read.ServiceKey.data(), read.ServiceKey.size()},
        {"PayloadKey", read.PayloadKey.data(), read.PayloadKey.size()},
    };
    line = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view content = text.substr(pos, end - pos);
        pos = end + 1;
        ++line;
        content = Trim(content.substr(0, content.find('#')));
        if (content.empty()) continue;
        const std::size_t eq = content.find('=');
        if (eq == std::string_view::npos) {
            problem = Quoted(content) +
                      " ist keine Zeile der Form „ServiceKey = …“ oder „PayloadKey = …“";
            return false;
        }
        const std::string_view name = Trim(content.substr(0, eq));
        KeyLine* key = nullptr;
        for (KeyLine& k : lines) {
            if (SameName(name, k.name)) key = &k;
        }
        if (!key) {
            problem = Quoted(name) + " ist kein Schlüssel (ServiceKey oder PayloadKey)";
            return false;
        }
        if (key->line != 0) {
            problem = std::string(key->name) + " steht schon in Zeile " + std::to_string(key->line);
            return false;
        }
        if (!ParseBytes(content.substr(eq + 1), *key, problem)) return false;
        key->line = line;
    }
    for (const KeyLine& k : lines) {
        if (k.line == 0) {
            line = 0;
            problem = "die Zeile „" + std::string(k.name) + " = …“ mit " + std::to_string(k.count) +
                      " Bytes fehlt";
            return false;
        }
    }
    keys = read;
    return true;
}

std::vector<std::string> KeyFileCandidates(const std::string& configFolder) {
    std::vector<std::string> candidates;
    if (!configFolder.empty()) {
        candidates.push_back((std::filesystem::path(configFolder) / kKeyFileName).string());
    }
#ifndef _WIN32
    candidates.push_back(kSystemKeyFile);
#endif
    return candidates;
}

KeySource LoadKeys(const std::string& namedPath, const std::vector<std::string>& candidates) {
    namespace fs = std::filesystem;
    KeySource source;
    source.path = namedPath;
    std::error_code ec;
    for (std::size_t i = 0; source.path.empty() && i < candidates.size(); ++i) {
        if (fs::exists(candidates[i], ec)) source.path = candidates[i];
    }
    if (source.path.empty()) return source;

    const std::string unreadable =
        "Die Schlüsseldatei " + source.path + " kann nicht gelesen werden: ";
    if (fs::is_directory(source.path, ec)) {
        source.error = unreadable + SystemReason(EISDIR) + ".";
        return source;
    }
    std::FILE* f = std::fopen(source.path.c_str(), "rb");
    if (!f) {
        source.error = unreadable + SystemReason(errno) + ".";
        return source;
    }
    std::string text(kKeyFileReadCap + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) {
        source.error = unreadable + SystemReason(err) + ".";
    } else if (text.size() > kKeyFileReadCap) {
        source.error = "Die Datei " + source.path +
                       " ist keine Schlüsseldatei: sie ist größer als " +
                       std::to_string(kKeyFileReadCap) + " Bytes.";
    } else if (int line = 0; !ParseKeyText(text, source.keys, line, source.error)) {
        source.error = "Schlüsseldatei " + source.path +
                       (line > 0 ? ", Zeile " + std::to_string(line) : std::string()) + ": " +
                       source.error + ".";
    }
    return source;
}

KeySource LoadKeys(const std::string& namedPath) {
    return LoadKeys(namedPath, KeyFileCandidates(UserConfigFolder()));
}

std::string KeysInUse(const KeySource& source) {
    return source.builtIn() ? "Schlüssel: eingebaute Testwerte" : "Schlüssel: aus " + source.path;
}

std::string OwnKeysAdvice() {
    return std::string("Eine echte CV2 braucht ihre eigenen Schlüssel in ") + kKeyFilePlaces +
           "; siehe Anleitung, Abschnitt „Die erste Verbindung“.";
}

std::string KeysAdvice(const KeySource& keys, StatusCode status) {
    const bool bootloaderStart = StepOf(status) == static_cast<int>(Step::BootloaderStart);
    if (!keys.builtIn() || !bootloaderStart || status % 10000 == kSendFailed) return {};
    return "Hinweis: Es gelten die eingebauten Testschlüssel; mit ihnen antwortet nur die "
           "simulierte Zentrale. " +
           OwnKeysAdvice();
}

}  // namespace cv2
