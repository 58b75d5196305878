// The window's part in a backup or restore, without a window: records every
// call the procedure makes on it, keeps the status line and the percentage,
// lets the file dialog answer the "Datei" menu, and writes numbers as a German
// system does (decimal comma).
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/file_choice.h"
#include "app/procedure_host.h"
#include "app/progress.h"
#include "link/link.h"
#include "platform/file_dialog.h"
#include "settings/settings.h"

namespace cv2::test {

class FakeHost : public ProcedureHost, public ProgressView {
public:
    FakeHost(Settings& settings, FileDialog& dialog, Link& link)
        : settings_(settings), dialog_(dialog), link_(link) {}

    void DisableButtons() override { Record("DisableButtons"), buttons = false; }
    void EnableButtons() override { Record("EnableButtons"), buttons = true; }
    void SetDateiMenuEnabled(bool on) override { Record(on ? "Datei=1" : "Datei=0"), datei = on; }
    void ClosePort() override { Record("ClosePort"), link_.ClosePort(); }
    void SetComTxt(const std::string& text) override {
        Record("ComTxt=" + text);
        comTxt = text;
        if (onComTxt) onComTxt(text);
    }
    void LoadMenu() override { Record("LoadMenu"), LoadMenuFileChoice(dialog_, settings_); }
    std::string FormatNumber(double value) override {
        char s[32];
        std::snprintf(s, sizeof s, "%g", value);
        if (char* dot = std::strchr(s, '.')) *dot = ',';
        return s;
    }
    void SetBarWidth(double) override {}
    double BackgroundWidth() const override { return 3195; }
    void SetPercentText(const std::string& text) override { percent = text; }

    bool buttons = true, datei = true;
    std::string comTxt = "- ", percent;
    std::vector<std::string> calls;
    std::function<void(const std::string&)> onComTxt;

private:
    void Record(const std::string& call) { calls.push_back(call); }
    Settings& settings_;
    FileDialog& dialog_;
    Link& link_;
};

}  // namespace cv2::test
