#include "cli/terminal.h"

#include <cctype>
#include <cmath>

#include "app/restore_procedure.h"
#include "cli/reports.h"

namespace cv2::cli {

namespace {

constexpr int kBarCells = 30;
// Below this share the time left is guessed too wildly to show.
constexpr double kEstimateFrom = 1.0;
// Width of the status text in the progress line, in characters.
constexpr std::size_t kStatusColumn = 22;
// What of an answer is kept: more than any yes needs.
constexpr std::size_t kAnswerChars = 16;

std::string RemainingText(double seconds) {
    const long s = std::lround(seconds);
    char text[40];
    std::snprintf(text, sizeof text, "noch %ld:%02ld min", s / 60, s % 60);
    return text;
}

}  // namespace

std::string OneLine(const std::string& text) {
    std::string out;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\r', begin);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(begin, end - begin);
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        if (!part.empty()) out += (out.empty() ? "" : " ") + part;
        begin = end + 1;
    }
    return out;
}

TerminalHost::TerminalHost(std::FILE* out, bool redraw, const Clock& clock,
                           std::function<void()> closePort,
                           std::function<std::string(double)> formatNumber, CliArgs::Detail detail)
    : out_(out),
      redraw_(redraw),
      clock_(clock),
      closePort_(std::move(closePort)),
      formatNumber_(std::move(formatNumber)),
      detail_(detail) {}

void TerminalHost::DisableButtons() {
    running_ = true;
    start_ = sectionStart_ = clock_.Now();
    percent_ = 0;
    nextTenth_ = 10;
    status_.clear();
}

void TerminalHost::EnableButtons() {
    runSeconds_ = clock_.Now() - start_;
    if (running_ && percent_ >= 100.0) SectionDone();
    if (running_ && redraw_ && detail_ != CliArgs::Detail::Quiet) {
        std::fputs("\n", out_);
        std::fflush(out_);
    }
    running_ = false;
}

void TerminalHost::SetComTxt(const std::string& text) {
    if (running_ && text != status_ && !status_.empty()) SectionDone();
    status_ = text;
    sectionStart_ = clock_.Now();
    if (detail_ == CliArgs::Detail::Quiet) return;
    if (!running_) {
        // The last text of a run: the time it took.
        std::fprintf(out_, "%s\n", text.c_str());
        std::fflush(out_);
    } else if (redraw_) {
        Draw();
    } else {
        PlainLine(text);
    }
}

void TerminalHost::SectionDone() {
    if (detail_ != CliArgs::Detail::Verbose) return;
    std::string name = status_;
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const double seconds = std::round((clock_.Now() - sectionStart_) * 10.0) / 10.0;
    const std::string line = "fertig: " + name + " (" + formatNumber_(seconds) + " s)";
    std::fprintf(out_, redraw_ ? "\r%s\x1b[K\n" : "%s\n", line.c_str());
    std::fflush(out_);
}

void TerminalHost::SetBarWidth(double width) {
    percent_ = width;
    if (!running_ || detail_ == CliArgs::Detail::Quiet) return;
    if (redraw_) {
        Draw();
        return;
    }
    bool crossed = false;
    while (nextTenth_ <= 100 && percent_ >= nextTenth_) {
        nextTenth_ += 10;
        crossed = true;
    }
    if (crossed) PlainLine({});
}

void TerminalHost::PlainLine(const std::string& text) {
    std::fprintf(out_, "%4ld%%%s\n", std::lround(std::floor(percent_)), text.c_str());
    std::fflush(out_);
}

void TerminalHost::Draw() {
    const int filled = static_cast<int>(percent_ / 100.0 * kBarCells);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarCells, '.');
    std::string estimate;
    if (percent_ >= kEstimateFrom && percent_ < 100.0) {
        const double elapsed = clock_.Now() - start_;
        estimate = "  " + RemainingText(elapsed * (100.0 - percent_) / percent_);
    }
    // Carriage return and erase-to-end-of-line: the same line, drawn again.
    // The status is padded by characters, so that umlauts keep the bar in place.
    std::fprintf(out_, "\r%s [%s] %3ld%%%s\x1b[K", Padded(status_, kStatusColumn).c_str(),
                 bar.c_str(), std::lround(std::floor(percent_)), estimate.c_str());
    std::fflush(out_);
}

BoxAnswer TerminalBoxes::Show(const std::string& text, const std::string& title, BoxButtons buttons,
                              BoxIcon) {
    if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
    if ((title == kOverwriteQuestionTitle && yes_) ||
        (title == kOtherStationTitle && otherStation_)) {
        return BoxAnswer::Yes;
    }
    declinedTitle_ = title;
    declinedAsked_ = ask_;
    if (!ask_) return BoxAnswer::No;
    std::fprintf(out_, "\n%s: %s [j/N] ", title.c_str(), OneLine(text).c_str());
    std::fflush(out_);
    return IsYes(ReadAnswerLine(in_)) ? BoxAnswer::Yes : BoxAnswer::No;
}

std::string ReadAnswerLine(std::FILE* in) {
    std::string line;
    for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
        // The rest of an overlong line is read and dropped.
        if (line.size() < kAnswerChars) line.push_back(static_cast<char>(c));
    }
    return line;
}

bool IsYes(std::string answer) {
    const auto first = answer.find_first_not_of(" \t");
    const auto last = answer.find_last_not_of(" \t\r");
    answer = first == std::string::npos ? std::string() : answer.substr(first, last - first + 1);
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "j" || answer == "ja" || answer == "y" || answer == "yes";
}

}  // namespace cv2::cli
