// What cv2cli prints for inspect, diff, verify and ports: German text for
// people, or JSON for scripts with stable keys from the file layout table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/backup_analysis.h"
#include "platform/port_list.h"

namespace cv2::cli {

std::string InspectText(const std::string& path, const Summary& summary);
std::string InspectJson(const std::string& path, const Summary& summary);

// headline opens the text ("Die Dateien sind gleich." or what differs).
std::string ComparisonText(const std::string& headline, const std::vector<SectionDiff>& diffs);
std::string ComparisonJson(const std::vector<SectionDiff>& diffs);

std::string PortsText(const std::vector<PortEntry>& ports);
std::string PortsJson(const std::vector<PortEntry>& ports);

// text (UTF-8) filled with blanks to width characters.
std::string Padded(const std::string& text, std::size_t width);

// A JSON string literal of text (UTF-8 passed through).
std::string JsonString(const std::string& text);

}  // namespace cv2::cli
