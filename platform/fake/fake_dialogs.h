// Message boxes and file dialog with canned answers, recording what was shown.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace cv2 {

class FakeMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text, title;
        BoxButtons buttons;
        BoxIcon icon;
    };
    std::vector<Shown> shown;
    std::deque<BoxAnswer> answers;  // taken in order; when empty: Ok / Yes
    std::function<void(const Shown&)> onShow;

    BoxAnswer Show(const std::string& text, const std::string& title, BoxButtons buttons,
                   BoxIcon icon) override {
        shown.push_back({text, title, buttons, icon});
        if (onShow) onShow(shown.back());
        if (!answers.empty()) {
            BoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Yes;
    }
};

class FakeFileDialog : public FileDialog {
public:
    struct Shown {
        FileDialogMode mode;
        std::string title, preset, description, pattern;
    };
    std::vector<Shown> shown;
    std::deque<std::string> answers;  // "" means cancel; when empty: cancel

    std::string Show(FileDialogMode mode, const std::string& title, const std::string& preset,
                     const std::string& description, const std::string& pattern) override {
        shown.push_back({mode, title, preset, description, pattern});
        if (answers.empty()) return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace cv2
