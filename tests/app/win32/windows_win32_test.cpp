// The native windows as a user meets them: what the main window's controls
// show and reach (its behaviour is tested once, against its logic), the focus,
// every caption whole in the font the system draws, the options window's
// coupling and its effect on the main window, and the bar in pixels. Without a display (Wine
// outside xvfb) there are no windows, and the tests skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/main_win_texts.h"
#include "app/win32/frm_hinweis.h"
#include "app/win32/main_win.h"
#include "app/win32/opt_win.h"
#include "platform/win32/wide_text.h"
#include "tests/support/main_win_doubles.h"
#include "tests/support/win32_display.h"

namespace cv2 {
namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string Text(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return Utf8(text);
}

// Labels whose text the font draws wider or taller than the label: a caption
// cut off at its edge.
std::vector<std::string> CutLabels(HWND window) {
    std::vector<std::string> cut;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 16);
        if (_wcsicmp(kind, L"STATIC") != 0) continue;
        RECT box;
        GetClientRect(child, &box);
        const bool wraps = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER;
        const SIZE needed = TextExtent(child, wraps ? box.right : 0);
        if (needed.cx > box.right || needed.cy > box.bottom) cut.push_back(Text(child));
    }
    return cut;
}

class NativeWindowsTest : public ::testing::Test, protected test::MainWinDoubles {
protected:
    void SetUp() override {
        if (!WindowsCanBeShown()) GTEST_SKIP() << "keine Anzeige";
        settingsPath = (std::filesystem::temp_directory_path() / "cv2-win32-test.INF").string();
        std::remove(settingsPath.c_str());
    }
    void TearDown() override {
        win.reset();
        std::remove(settingsPath.c_str());
    }
    void Start(const std::string& settingsFile = {}) {
        WriteSettingsFile(settingsFile);
        win = Open<MainWin>();
        win->Show(SW_SHOWNORMAL);
        Pump();
    }
    std::string Shown(int id) { return Text(win->control(id)); }
    bool ButtonsEnabled() {
        return IsWindowEnabled(win->control(MainWin::kReadDF_But)) &&
               IsWindowEnabled(win->control(MainWin::kWriteDF_But));
    }
    void Click(HWND window, int id) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }
    bool Checked(OptWin& opt, int id) { return IsDlgButtonChecked(opt.hwnd(), id) == BST_CHECKED; }

    std::unique_ptr<MainWin> win;
};

TEST_F(NativeWindowsTest, TheControlsShowWhatTheLogicSaysAndTheFocusStartsOnTheFirstButton) {
    Start("\"4\"\r\n19200\r\n\"\"\r\n");
    EXPECT_EQ(Text(win->hwnd()), "CV2 Sicherung - Ver.: 1.0.0");
    EXPECT_EQ(Shown(MainWin::kComPortNrTxt), "4");
    EXPECT_EQ(Shown(MainWin::kBdRtTxt), "19200");
    EXPECT_EQ(Shown(MainWin::kComTxt), "- ");
    EXPECT_EQ(win->barWidth(), 0);
    EXPECT_EQ(win->percentText(), L"0%");
    EXPECT_EQ(GetFocus(), win->control(MainWin::kReadDF_But));
    fileDialog.answers = {"C:\\Sicherungen\\anlage.CDF"};
    SendMessageW(win->hwnd(), WM_COMMAND, MainWin::kLoad_menu, 0);
    EXPECT_EQ(Shown(MainWin::kDF_FileTxt), "anlage.CDF");
}

TEST_F(NativeWindowsTest, EveryCaptionShowsWholeInTheSystemsFont) {
    Start();
    EXPECT_EQ(CutLabels(win->hwnd()), std::vector<std::string>());
    // The hint stays between the status line and the first button.
    const RECT hint = ChildRect(win->control(MainWin::kLabel1));
    EXPECT_GE(hint.top, ChildRect(win->control(MainWin::kComTxt)).bottom);
    EXPECT_LE(hint.bottom, ChildRect(win->control(MainWin::kReadDF_But)).top);
    RECT client;
    GetClientRect(win->hwnd(), &client);
    EXPECT_GE(hint.left, 0);
    EXPECT_LE(hint.right, client.right);

    OptWin& opt = win->ShowOptions();
    Pump();
    EXPECT_EQ(CutLabels(opt.hwnd()), std::vector<std::string>());
    // The caption "Nummer:" ends before the COM port box begins.
    EXPECT_LE(ChildRect(opt.control(OptWin::kLabel1)).right,
              ChildRect(opt.control(OptWin::kComPortTxT)).left);
}

TEST_F(NativeWindowsTest, OptionsCoupleInterfaceAndRateAndOnlyOkChangesTheSettings) {
    Start();
    OptWin& opt = win->ShowOptions();
    Pump();
    // Without a settings file: USB interface, 115200 alone enabled, port 3.
    EXPECT_TRUE(Checked(opt, OptWin::kUpDevOpt + 2));
    EXPECT_TRUE(Checked(opt, OptWin::kBdrtOpt + 3));
    EXPECT_FALSE(IsWindowEnabled(opt.control(OptWin::kBdrtOpt + 2)));
    EXPECT_EQ(Text(opt.control(OptWin::kComPortTxT)), "3");
    EXPECT_FALSE(ButtonsEnabled());

    // Tandemo/Centrova moves 115200 to 19200; the close box keeps the settings.
    Click(opt.hwnd(), OptWin::kUpDevOpt + 0);
    EXPECT_TRUE(Checked(opt, OptWin::kBdrtOpt + 2));
    EXPECT_FALSE(IsWindowEnabled(opt.control(OptWin::kBdrtOpt + 3)));
    SendMessageW(opt.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_EQ(settings.BaudRate, 115200);
    EXPECT_FALSE(IsWindowVisible(opt.hwnd()));

    // Again, with a typed port and O.K.: the main window shows both.
    win->ShowOptions();
    Pump();
    EXPECT_TRUE(Checked(opt, OptWin::kUpDevOpt + 2));
    Click(opt.hwnd(), OptWin::kUpDevOpt + 0);
    SetDlgItemTextW(opt.hwnd(), OptWin::kComPortTxT, L"COM4");
    Click(opt.hwnd(), OptWin::kOK_But);
    EXPECT_EQ(Shown(MainWin::kBdRtTxt), "19200");
    EXPECT_EQ(Shown(MainWin::kComPortNrTxt), "COM4");
    EXPECT_EQ(settings.Interface, InterfaceKind::TandemoPort);
    EXPECT_TRUE(ButtonsEnabled());
}

TEST_F(NativeWindowsTest, TheButtonsMenusAndCloseBoxReachWhatTheyDo) {
    Start("\"COM7\"\r\n115200\r\n\"\"\r\n");
    int reads = 0, writes = 0;
    bool lockedInRun = false;
    win->logic().onWriteDF = [&] { ++writes; };
    win->logic().onReadDF = [&] {
        ++reads;
        win->logic().DisableButtons();
        lockedInRun = !IsWindowEnabled(win->control(MainWin::kReadDF_But)) &&
                      !IsWindowEnabled(win->control(MainWin::kWriteDF_But));
        SendMessageW(win->hwnd(), WM_CLOSE, 0, 0);
    };
    Click(win->hwnd(), MainWin::kReadDF_But);
    Click(win->hwnd(), MainWin::kWriteDF_But);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(lockedInRun);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(SettingsFile(), "\"COM7\"\r\n115200\r\n\"\"\r\n");
    SendMessageW(win->hwnd(), WM_COMMAND, MainWin::kende_menu, 0);
    EXPECT_EQ(quits, 2);
}

TEST_F(NativeWindowsTest, TheBarFollowsTheProgressInPixelsOfItsBackground) {
    Start();
    win->logic().progress().ResetProgress();
    win->logic().progress().ProgressBytes = kProgressTotal / 2;
    win->logic().progress().UpdateProgress();
    const RECT background = TwipsRect(win->dpi(), design::kProzBalkenWeiss);
    EXPECT_NEAR(win->barWidth(), (background.right - background.left) / 2, 1);
    EXPECT_EQ(win->percentText(), L"50%");
    win->logic().progress().CompleteProgress();
    EXPECT_EQ(win->barWidth(), background.right - background.left);
}

TEST(NativeNoticeWindow, ShowsTheWholeNoticeAndClosesWithItsCloseBox) {
    if (!WindowsCanBeShown()) GTEST_SKIP() << "keine Anzeige";
    FrmHinweis notice(nullptr);
    wchar_t text[2048] = {};
    GetWindowTextW(notice.control(FrmHinweis::kText1), text, 2048);
    EXPECT_EQ(Utf8(text), NoticeText());
    EXPECT_EQ(Text(notice.hwnd()), "Hinweis");
    // Nothing to scroll: a page down leaves the first line at the top.
    SendMessageW(notice.control(FrmHinweis::kText1), EM_SCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(SendMessageW(notice.control(FrmHinweis::kText1), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    PostMessageW(notice.hwnd(), WM_CLOSE, 0, 0);
    notice.RunModal();  // returns once the close request is through
    EXPECT_FALSE(IsWindowVisible(notice.hwnd()));
}

}  // namespace
}  // namespace cv2
