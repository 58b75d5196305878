#include "platform/win32/win32_dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/wide_text.h"

namespace cv2 {

namespace {

// The callers break lines with CR (or CR LF); a message box breaks them at CR LF.
std::wstring BoxText(const std::string& text) {
    std::wstring wide = Wide(text), lines;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        lines += wide[i];
        if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) lines += L'\n';
    }
    return lines;
}

UINT IconFlag(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Critical:
            return MB_ICONERROR;
        case BoxIcon::Exclamation:
            return MB_ICONWARNING;
        case BoxIcon::Information:
            return MB_ICONINFORMATION;
        case BoxIcon::None:
            break;
    }
    return 0;
}

// The longest path the dialog hands back.
constexpr DWORD kLongestPath = 32768;

}  // namespace

BoxAnswer Win32MessageBoxes::Show(const std::string& text, const std::string& title,
                                  BoxButtons buttons, BoxIcon icon) {
    const bool yesNo = buttons == BoxButtons::YesNo;
    UINT flags = (yesNo ? MB_YESNO : MB_OK) | IconFlag(icon) | MB_SETFOREGROUND;
    if (!owner_) flags |= MB_TASKMODAL;
    const int answer = MessageBoxW(owner_, BoxText(text).c_str(), Wide(title).c_str(), flags);
    if (!yesNo) return BoxAnswer::Ok;
    // A box that could not be shown answers No: nothing is overwritten unasked.
    return answer == IDYES ? BoxAnswer::Yes : BoxAnswer::No;
}

std::string Win32FileDialog::Show(FileDialogMode mode, const std::string& title,
                                  const std::string& presetName,
                                  const std::string& filterDescription,
                                  const std::string& filterPattern) {
    // Description and pattern, each ended by a NUL, and one NUL more at the end.
    std::wstring filter = Wide(filterDescription);
    filter += L'\0';
    filter += Wide(filterPattern);
    filter += L'\0';
    std::vector<wchar_t> file(kLongestPath, L'\0');
    const std::wstring preset = Wide(presetName);
    preset.copy(file.data(), std::min<std::size_t>(preset.size(), kLongestPath - 1));
    const std::wstring caption = Wide(title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kLongestPath;
    dialog.lpstrTitle = caption.c_str();
    // Any name is accepted in both modes and comes back as typed: no extension
    // is added, the open dialog does not insist on an existing file, the save
    // dialog does not ask before overwriting.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const BOOL chosen =
        mode == FileDialogMode::Open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    return chosen ? Utf8(file.data()) : std::string();
}

}  // namespace cv2
