// The Win32 message boxes and file dialogs, answered by a helper thread that
// finds the dialog by its title and presses a button as a user would. Without
// a display (Wine outside xvfb) there are no windows, and the tests skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <thread>
// after windows.h, whose types it uses
#include <dlgs.h>

#include "platform/win32/win32_dialogs.h"
#include "tests/support/win32_display.h"

namespace cv2 {
namespace {

// Waits up to ten seconds for the dialog titled title, then hands it to act.
std::thread Answer(const wchar_t* title, std::function<void(HWND)> act) {
    return std::thread([title, act] {
        for (int i = 0; i < 200; ++i) {
            if (HWND dialog = FindWindowW(L"#32770", title)) {
                act(dialog);
                return;
            }
            Sleep(50);
        }
    });
}

std::wstring StaticText(HWND box) {
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);  // the message box's text control
    return text;
}

TEST(Win32MessageBoxes, AYesNoBoxShowsItsLinesAndAnswersTheButtonPressed) {
    if (!WindowsCanBeShown()) GTEST_SKIP() << "keine Anzeige";
    Win32MessageBoxes boxes;
    for (const auto& [button, answer] : {std::pair{IDNO, BoxAnswer::No}, {IDYES, BoxAnswer::Yes}}) {
        std::wstring shown;
        std::thread user = Answer(L"Überschreiben?", [&, button](HWND box) {
            shown = StaticText(box);
            SendMessageW(box, WM_COMMAND, button, 0);
        });
        EXPECT_EQ(boxes.Show("Datei ersetzen?\rJa: überschreiben", "Überschreiben?",
                             BoxButtons::YesNo, BoxIcon::Exclamation),
                  answer);
        user.join();
        EXPECT_EQ(shown, L"Datei ersetzen?\r\nJa: \u00fcberschreiben");
    }
}

TEST(Win32FileDialog, CancelGivesNothingAndATypedNameComesBackAsTyped) {
    if (!WindowsCanBeShown()) GTEST_SKIP() << "keine Anzeige";
    Win32FileDialog dialogs;
    std::thread user = Answer(L"Öffnen", [](HWND d) { SendMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(dialogs.Show(FileDialogMode::Open, "Öffnen", "", "CV2 Datenflash (*.CDF)", "*.CDF"),
              "");
    user.join();

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring typed = std::wstring(folder) + L"anlage-m\u00fcller";
    user = Answer(L"Sichern", [&](HWND d) {
        // The name box of the explorer-style dialog, whichever template it has.
        SetDlgItemTextW(d, cmb13, typed.c_str());
        SetDlgItemTextW(d, edt1, typed.c_str());
        SendMessageW(d, WM_COMMAND, IDOK, 0);
    });
    const std::string chosen =
        dialogs.Show(FileDialogMode::Save, "Sichern", "", "CV2 Datenflash (*.CDF)", "*.CDF");
    user.join();
    EXPECT_TRUE(chosen.ends_with("anlage-m\xc3\xbcller")) << chosen;  // no extension added
}

}  // namespace
}  // namespace cv2
