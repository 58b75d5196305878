// What a main window is built over in the tests, whatever draws it: the
// settings, a serial port that opens nothing, dialogs answering from a script,
// the settings file, and a count of the program's ends.
#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial.h"
#include "settings/settings.h"

namespace cv2::test {

struct MainWinDoubles {
    std::string settingsPath;
    FakeClock clock;
    FakeSerial comm1{clock};
    FakeMessageBoxes boxes;
    FakeFileDialog fileDialog;
    Settings settings;
    int quits = 0;

    // The settings file as the program finds it at start; empty writes none.
    void WriteSettingsFile(const std::string& text) const {
        if (!text.empty()) std::ofstream(settingsPath, std::ios::binary) << text;
    }
    std::string SettingsFile() const {
        std::ifstream in(settingsPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // A toolkit's main window over the doubles; without quit, an end is counted.
    template <class Window>
    std::unique_ptr<Window> Open(std::function<void()> quit = {}) {
        if (!quit) quit = [this] { ++quits; };
        return std::make_unique<Window>(settings, comm1, boxes, fileDialog, settingsPath,
                                        std::move(quit));
    }
};

}  // namespace cv2::test
