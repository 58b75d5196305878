// The backup and restore procedures wired to the simulated station on a fake clock, with a
// window stand-in that records what the procedure did to it.
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/backup_procedure.h"
#include "app/file_choice.h"
#include "app/restore_procedure.h"
#include "tests/transfer/station_rig.h"

namespace cv2::testing {

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
    // A German system: decimal comma.
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

struct BackupRig : StationRig {
    explicit BackupRig(station::StationOptions options = InstantStation())
        : StationRig(std::move(options)) {
        settings.BackupFileName = path;
    }
    FakeFileDialog dialog;
    FakeHost host{settings, dialog, link};
    Progress progressDisplay{host};
    BackupProcedure backup{host, settings, link, device, progressDisplay, boxes};
    RestoreProcedure restore{host, settings, link, device, progressDisplay, boxes, dialog};

    // Restores the file at path, answering the file dialog with it.
    ProcedureResult Restore(const std::string& file) {
        dialog.answers.push_back(file);
        return restore.Run();
    }
};

}  // namespace cv2::testing
