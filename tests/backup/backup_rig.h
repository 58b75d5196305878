// A backup procedure wired to the simulated station on a fake clock, with a
// window stand-in that records what the procedure did to it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/backup_procedure.h"
#include "app/file_choice.h"
#include "app/progress.h"
#include "tests/transfer/station_rig.h"

namespace cv2::testing {

class FakeHost : public ProcedureHost {
public:
    FakeHost(Settings& settings, FileDialog& dialog, Link& link)
        : settings_(settings), dialog_(dialog), link_(link) {}

    void DisableButtons() override {
        buttonsEnabled = false;
        calls.push_back("DisableButtons");
    }
    void EnableButtons() override {
        buttonsEnabled = true;
        calls.push_back("EnableButtons");
    }
    void SetDateiMenuEnabled(bool enabled) override {
        dateiEnabled = enabled;
        calls.push_back(enabled ? "Datei=1" : "Datei=0");
    }
    void ClosePort() override {
        link_.ClosePort();
        calls.push_back("ClosePort");
    }
    void SetComTxt(const std::string& text) override {
        comTxt = text;
        calls.push_back("ComTxt=" + text);
        if (onComTxt) onComTxt(text);
    }
    void LoadMenu() override {
        LoadMenuFileChoice(dialog_, settings_);
        calls.push_back("LoadMenu");
    }
    // A German system: decimal comma, no fixed decimals.
    std::string FormatNumber(double value) override {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value);
        std::string s = text;
        for (char& c : s) {
            if (c == '.') c = ',';
        }
        return s;
    }

    bool buttonsEnabled = true;
    bool dateiEnabled = true;
    std::string comTxt = "- ";
    std::vector<std::string> calls;
    std::function<void(const std::string&)> onComTxt;

private:
    Settings& settings_;
    FileDialog& dialog_;
    Link& link_;
};

class FakeProgressView : public ProgressView {
public:
    void SetBarWidth(double twips) override { width = twips; }
    double BackgroundWidth() const override { return 3195; }
    void SetPercentText(const std::string& text) override { percent = text; }
    double width = 0;
    std::string percent;
};

struct BackupRig : StationRig {
    explicit BackupRig(station::StationOptions options = InstantStation())
        : StationRig(std::move(options)) {
        settings.BackupFileName = path;
    }

    TempDir dir;
    std::string path = dir.File("backup.CDF");
    FakeFileDialog dialog;
    FakeHost host{settings, dialog, link};
    FakeProgressView view;
    Progress progress{view};
    BackupProcedure backup{host, settings, link, device, progress, boxes};

    // The procedure's own failure box (the link set-up may show one of its own first).
    const FakeMessageBoxes::Shown* FailureBox() const {
        for (const auto& b : boxes.shown) {
            if (b.title == "Fehler beim Speichern der Datenbank") return &b;
        }
        return nullptr;
    }
};

}  // namespace cv2::testing
