#include "cli/reports.h"

#include <cstdio>

#include "transfer/section_readers.h"

namespace cv2::cli {

namespace {

// Differing units listed by name in the text output; the rest are counted.
constexpr std::size_t kListedUnits = 12;
// Width of the section titles in inspect's list, in characters.
constexpr std::size_t kTitleColumn = 22;

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

template <typename T, typename F>
std::string JsonArray(const std::vector<T>& items, F item) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ",";
        out += item(items[i]);
    }
    return out + "]";
}

// For single values: ,"old":[...],"new":[...]; nothing for other units.
std::string ValuesJson(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values) {
    if (values.empty()) return {};
    std::string old = ",\"old\":[", now = ",\"new\":[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        old += (i ? "," : "") + std::to_string(values[i].first);
        now += (i ? "," : "") + std::to_string(values[i].second);
    }
    return old + "]" + now + "]";
}

std::string SectionKeys(const Section& s) {
    return "\"key\":" + JsonString(std::string(s.key)) +
           ",\"title\":" + JsonString(std::string(s.title)) + ",\"unit\":\"" +
           UnitKey(UnitsOf(s).kind) + "\"";
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Padded(const std::string& text, std::size_t width) {
    std::size_t chars = 0;
    for (char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return chars >= width ? text : text + std::string(width - chars, ' ');
}

std::string InspectText(const std::string& path, const Summary& s) {
    std::string out = "Datei: " + path + "\n";
    out += "Größe: " + ByteCount(s.size);
    if (s.size == kBackupFileSize + 1) {
        out += " (eine Sicherung; das letzte Byte gehört nicht dazu)";
    } else if (s.size > kBackupFileSize) {
        out += " (eine Sicherung; die letzten " + ByteCount(s.size - kBackupFileSize) +
               " gehören nicht dazu)";
    } else {
        out += " (vollständig)";
    }
    out += "\nSeriennummer: " + std::to_string(s.serial) + "\nDatenbankversion:";
    for (std::uint32_t w : s.versions) out += " " + std::to_string(w);
    out += VersionWordsValid(s.versions) ? " (gültig)\n" : " (ungültig: jedes Wort muss 5 sein)\n";
    out += "Belegt:\n";
    for (const SectionUse& use : s.sections) {
        const Section& section = kFileLayout[use.section];
        char line[128];
        std::snprintf(line, sizeof line, " %4d/%-4d ", use.used, use.total);
        out += "  " + Padded(std::string(section.title), kTitleColumn) + line;
        out += UnitNoun(UnitsOf(section).kind, true);
        out += "\n";
    }
    return out;
}

std::string InspectJson(const std::string& path, const Summary& s) {
    std::string out = "{\"file\":" + JsonString(path) + ",\"size\":" + std::to_string(s.size) +
                      ",\"complete\":true,\"serial\":" + std::to_string(s.serial) +
                      ",\"version_words\":[";
    for (std::size_t i = 0; i < s.versions.size(); ++i) {
        out += (i ? "," : "") + std::to_string(s.versions[i]);
    }
    out += "],\"versions_valid\":";
    out += VersionWordsValid(s.versions) ? "true" : "false";
    out += ",\"sections\":" + JsonArray(s.sections, [](const SectionUse& use) {
               return "{" + SectionKeys(kFileLayout[use.section]) +
                      ",\"used\":" + std::to_string(use.used) +
                      ",\"total\":" + std::to_string(use.total) + "}";
           });
    return out + "}\n";
}

std::string ComparisonText(const std::string& headline, const std::vector<SectionDiff>& diffs) {
    std::string out = headline + "\n";
    for (const SectionDiff& d : diffs) {
        const Section& section = kFileLayout[d.section];
        const Units units = UnitsOf(section);
        out += "  " + std::string(section.title) + ": ";
        if (units.count == 1 && d.values.size() == 1) {
            // A single value: what it was and what it is.
            out += std::to_string(d.values[0].first) + " → " + std::to_string(d.values[0].second) +
                   "\n";
            continue;
        }
        out += std::to_string(d.units.size()) + " von " + std::to_string(units.count) + " " +
               (units.count != 1 ? UnitNounDative(units.kind) : UnitNoun(units.kind, false)) + " (";
        for (std::size_t i = 0; i < d.units.size() && i < kListedUnits; ++i) {
            out += (i ? ", " : "") + std::to_string(UnitLabel(section, d.units[i]));
            if (i < d.values.size()) {
                out += ": " + std::to_string(d.values[i].first) + " → " +
                       std::to_string(d.values[i].second);
            }
        }
        if (d.units.size() > kListedUnits) {
            out += ", ... " + std::to_string(d.units.size() - kListedUnits) + " weitere";
        }
        out += "), " + std::to_string(d.bytes) + (d.bytes == 1 ? " Byte\n" : " Bytes\n");
    }
    return out;
}

std::string ComparisonJson(const std::vector<SectionDiff>& diffs) {
    std::string out = "{\"equal\":";
    out += diffs.empty() ? "true" : "false";
    out += ",\"sections\":" + JsonArray(diffs, [](const SectionDiff& d) {
               const Section& section = kFileLayout[d.section];
               return "{" + SectionKeys(section) +
                      ",\"total\":" + std::to_string(UnitsOf(section).count) + ",\"differing\":" +
                      JsonArray(d.units,
                                [&](int u) { return std::to_string(UnitLabel(section, u)); }) +
                      ",\"bytes\":" + std::to_string(d.bytes) + ValuesJson(d.values) + "}";
           });
    return out + "}\n";
}

std::string PortsText(const std::vector<PortEntry>& ports) {
    if (ports.empty()) return "Keine serielle Schnittstelle gefunden.\n";
    std::string out;
    bool stable = false;
    for (const PortEntry& p : ports) {
        out += p.path + "  " + (p.description.empty() ? "(ohne Beschreibung)" : p.description);
        if (!p.manufacturer.empty()) out += " (" + p.manufacturer + ")";
        if (p.vendorId && p.productId)
            out += "  USB " + Hex4(*p.vendorId) + ":" + Hex4(*p.productId);
        out += "\n";
        if (!p.stableName.empty()) out += "    fester Name: " + p.stableName + "\n";
        stable = stable || !p.stableName.empty();
        out += p.access.mayOpen
                   ? "    Zugriff: erlaubt\n"
                   : "    Zugriff: keine Berechtigung. " + PermissionAdvice(p.access) + ".\n";
    }
    if (stable) {
        out +=
            "Der feste Name bleibt gleich, auch wenn das Interface an einem anderen "
            "USB-Anschluss steckt: ihn als Port eintragen.\n";
    }
    return out;
}

std::string PortsJson(const std::vector<PortEntry>& ports) {
    return JsonArray(ports,
                     [](const PortEntry& p) {
                         auto id = [](const std::optional<int>& v) {
                             return v ? JsonString(Hex4(*v)) : std::string("null");
                         };
                         auto text = [](const std::string& s) {
                             return s.empty() ? std::string("null") : JsonString(s);
                         };
                         return "{\"path\":" + JsonString(p.path) +
                                ",\"stable_name\":" + text(p.stableName) +
                                ",\"description\":" + JsonString(p.description) +
                                ",\"manufacturer\":" + JsonString(p.manufacturer) +
                                ",\"vendor_id\":" + id(p.vendorId) +
                                ",\"product_id\":" + id(p.productId) +
                                ",\"may_open\":" + (p.access.mayOpen ? "true" : "false") +
                                ",\"group\":" + text(p.access.group) + "}";
                     }) +
           "\n";
}

}  // namespace cv2::cli
