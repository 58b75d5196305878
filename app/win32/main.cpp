// cv2sicherung.exe: the window program on the Win32 API. The settings file
// lies beside the program, or in the user's application-data folder when the
// program's folder cannot be written; the station's keys come from the key file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/win32/native_window.h"
#include "app/win32/program.h"
#include "device/key_file.h"
#include "platform/end_requests.h"
#include "platform/staged_file.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_dialogs.h"
#include "settings/settings_location.h"

namespace {

// Ends the program at once, also from inside a procedure's wait loop: nothing
// after the settings file runs, no window event, no destructor. A backup in
// progress leaves its old file as it was and no work copy beside it.
[[noreturn]] void EndNow() {
    cv2::StagedFile::DiscardAllNow();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return cv2::Utf8(path.substr(0, path.find_last_of(L"\\/")));
}

}  // namespace

int main() {
    const cv2::KeySource keys = cv2::LoadKeys("");
    cv2::Win32MessageBoxes boxes;
    // A key file that is there but wrong is never replaced by the built-in keys.
    if (!keys.ok()) {
        boxes.Show(
            keys.error + "\r\rDas Programm startet, sobald die Datei stimmt oder entfernt ist.",
            "CV2 Sicherung", cv2::BoxButtons::Ok, cv2::BoxIcon::Critical);
        return EXIT_FAILURE;
    }
    cv2::Win32FileDialog fileDialog;
    cv2::Program program(boxes, fileDialog, cv2::SettingsFilePath(ProgramFolder()), keys.keys,
                         EndNow);
    // The boxes and dialogs are modal to the main window.
    boxes.SetOwner(program.mainWin().hwnd());
    fileDialog.SetOwner(program.mainWin().hwnd());
    program.mainWin().onEndSession = [&program] { program.EndRequested(); };
    cv2::WatchEndRequests("cv2sicherung", program.link().cancellation(),
                          [&program] { program.EndRequested(); });
    program.mainWin().Show(SW_SHOWNORMAL);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (cv2::NavigationMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return EXIT_SUCCESS;
}
