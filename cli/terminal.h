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
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace cv2::cli {

// A box text with each CR written as a line break.
std::string CrToNewline(const std::string& text);

class TerminalHost : public ProcedureHost, public ProgressView {
public:
    // redraw: out is a terminal, so the progress line is redrawn in place.
    TerminalHost(std::FILE* out, bool redraw, const Clock& clock, std::function<void()> closePort,
                 std::function<std::string(double)> formatNumber);

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

private:
    void Draw();
    void PlainLine(const std::string& text);

    std::FILE* out_;
    bool redraw_;
    const Clock& clock_;
    std::function<void()> closePort_;
    std::function<std::string(double)> formatNumber_;
    bool running_ = false;
    double start_ = 0;
    double percent_ = 0;
    int nextTenth_ = 10;  // the plain output's next percentage line
    std::string status_;
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

private:
    bool yes_, otherStation_;
    std::FILE* in_;
    std::FILE* out_;
    bool ask_;
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
