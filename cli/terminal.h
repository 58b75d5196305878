// The procedures' window replaced by a terminal: the status line and progress
// bar as one line redrawn in place (or, without a terminal, plain lines per
// section and per ten percent), the restore's questions answered by flags or
// asked on the terminal, and the file dialog answered with the file given.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "app/procedure_host.h"
#include "app/progress.h"
#include "cli/cli_args.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace cv2::cli {

// A box text on one line: its lines (CR between them) trimmed and joined by
// one blank, empty ones left out.
std::string OneLine(const std::string& text);

class TerminalHost : public ProcedureHost, public ProgressView {
public:
    // redraw: out is a terminal, so the progress line is redrawn in place.
    // detail: Quiet shows nothing of the run's course, Verbose also a line
    // for each section when it is done.
    TerminalHost(std::FILE* out, bool redraw, const Clock& clock, std::function<void()> closePort,
                 std::function<std::string(double)> formatNumber,
                 CliArgs::Detail detail = CliArgs::Detail::Normal);

    // A run starts with the buttons disabled and ends with them enabled again.
    void DisableButtons() override;
    void EnableButtons() override;
    void SetDateiMenuEnabled(bool) override {}
    void ClosePort() override { closePort_(); }
    void SetComTxt(const std::string& text) override;
    // The file always comes from the command line.
    void LoadMenu() override {}
    std::string FormatNumber(double value) override { return formatNumber_(value); }

    // The bar's width is the percentage.
    void SetBarWidth(double width) override;
    double BackgroundWidth() const override { return 100.0; }
    void SetPercentText(const std::string&) override {}

    // The status line as the run left it.
    const std::string& statusLine() const { return status_; }
    // Seconds from the start of the run to its end.
    double runSeconds() const { return runSeconds_; }

private:
    void Draw();
    void PlainLine(const std::string& text);
    // Verbose: the section that ends now, with the seconds it took.
    void SectionDone();

    std::FILE* out_;
    bool redraw_;
    const Clock& clock_;
    std::function<void()> closePort_;
    std::function<std::string(double)> formatNumber_;
    CliArgs::Detail detail_;
    bool running_ = false;
    double start_ = 0;
    double runSeconds_ = 0;
    double percent_ = 0;
    int nextTenth_ = 10;  // the plain output's next percentage line
    std::string status_;
    double sectionStart_ = 0;  // when the shown section began
};

// Yes/No questions: the overwrite question is answered by --yes, the question
// for another station's file by --other-station; without the flag the terminal
// asks when there is one, otherwise the answer is No. An answer is one whole
// line ("j", "ja", "y" or "yes" for Yes): nothing typed for one question is
// left over for the next. Failure boxes say nothing here: the run's result
// carries their text.
class TerminalBoxes : public MessageBoxes {
public:
    TerminalBoxes(bool yes, bool otherStation, std::FILE* in, std::FILE* out, bool ask)
        : yes_(yes), otherStation_(otherStation), in_(in), out_(out), ask_(ask) {}
    BoxAnswer Show(const std::string& text, const std::string& title, BoxButtons buttons,
                   BoxIcon icon) override;

    // The question answered No last (its title), and whether it was asked on
    // the terminal or answered No because there was none to ask on.
    const std::string& declinedTitle() const { return declinedTitle_; }
    bool declinedAsked() const { return declinedAsked_; }

private:
    bool yes_, otherStation_;
    std::FILE* in_;
    std::FILE* out_;
    bool ask_;
    std::string declinedTitle_;
    bool declinedAsked_ = false;
};

// One line of input, its line end taken off; at end of input or when a signal
// interrupts the read, what was read so far.
std::string ReadAnswerLine(std::FILE* in);
// The answer means Yes: j, ja, y or yes, in any case, blanks around allowed.
bool IsYes(std::string answer);

class GivenFile : public FileDialog {
public:
    explicit GivenFile(std::string path) : path_(std::move(path)) {}
    std::string Show(FileDialogMode, const std::string&, const std::string&, const std::string&,
                     const std::string&) override {
        return path_;
    }

private:
    std::string path_;
};

}  // namespace cv2::cli
