// The main window's behaviour whatever toolkit draws it, against a view that
// records what it is told: start-up from the settings file, the file menu,
// the options window's guard and confirmation, one procedure at a time, and
// the end that writes the settings file whatever runs.
#include "app/main_win_logic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/window_design.h"
#include "tests/support/main_win_doubles.h"

namespace cv2 {
namespace {

struct RecordingView : MainWinView {
    std::string caption;
    std::map<MainWinLabel, std::string> labels;
    bool buttons = true;
    double bar = -1;
    std::string percent;
    int optionsOpened = 0;

    void SetCaption(const std::string& text) override { caption = text; }
    void SetLabel(MainWinLabel label, const std::string& text) override { labels[label] = text; }
    void SetButtonsEnabled(bool enabled) override { buttons = enabled; }
    void SetDateiMenuEnabled(bool) override {}
    void SetBarWidth(double twips) override { bar = twips; }
    void SetPercentText(const std::string& text) override { percent = text; }
    void OpenOptions() override { ++optionsOpened; }
    void OpenNotice() override {}
};

class MainWinLogicTest : public ::testing::Test, protected test::MainWinDoubles {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = std::filesystem::temp_directory_path() / ("cv2-main-win-" + name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        settingsPath = (folder / "CV2_DF.INF").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    MainWinLogic& Start(const std::string& settingsFile = {}) {
        WriteSettingsFile(settingsFile);
        logic = std::make_unique<MainWinLogic>(view, settings, comm1, boxes, fileDialog,
                                               settingsPath, [this] { OnQuit(); });
        logic->Start();
        return *logic;
    }
    std::string Shown(MainWinLabel label) { return view.labels[label]; }
    void OnQuit() {
        ++quits;
        fileAtQuit = SettingsFile();
        runningAtQuit = logic->ProcedureRunning();
    }

    std::filesystem::path folder;
    RecordingView view;
    std::unique_ptr<MainWinLogic> logic;
    std::string fileAtQuit;
    bool runningAtQuit = false;
};

TEST_F(MainWinLogicTest, StartUpShowsTheVersionTheSettingsAndAnEmptyBar) {
    Start("\"COM4\"\r\n19200\r\n\"C:\\\\alt\\\\x.CDF\"\r\n");
    EXPECT_EQ(view.caption, "CV2 Sicherung - Ver.: 1.0.0");
    EXPECT_EQ(Shown(MainWinLabel::ComPort), "COM4");
    EXPECT_EQ(Shown(MainWinLabel::BaudRate), "19200");
    // The file name read is shown as it stands; the next save writes it empty.
    EXPECT_EQ(Shown(MainWinLabel::FileName), "x.CDF");
    EXPECT_EQ(view.bar, 0);
    EXPECT_EQ(view.percent, "0%");
}

// A port cut at its NUL would be the terminal ("/dev/tty"): the start says so
// and uses the default port; the options refuse such a name and store nothing.
TEST_F(MainWinLogicTest, APortNameWithAControlCharacterIsRefusedAtStartAndInTheOptions) {
    Start(std::string("\"/dev/tty\0USB0\"\r\n19200\r\n\"\"\r\n", 28));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Die Einstellungsdatei " + settingsPath +
                  " nennt eine Schnittstelle, die es nicht geben kann.\r"
                  "Der Schnittstellenname „/dev/tty\\x00USB0“ enthält ein Steuerzeichen "
                  "(\\x00); so heißt keine Schnittstelle, er wird nicht verwendet. Es gilt der "
                  "COM-Port 3.");
    EXPECT_EQ(boxes.shown[0].title, "CV2 Sicherung");
    EXPECT_EQ(Shown(MainWinLabel::ComPort) + "|" + Shown(MainWinLabel::BaudRate), "3|19200");

    OptionsLogic options;
    options.Activate(settings);
    options.SetComPortText("COM4\x1b");
    view.labels.clear();
    EXPECT_FALSE(logic->ConfirmOptions(options));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].title, design::kOptionsTitle);
    EXPECT_EQ(settings.ComPort, ComPortSetting::Number(3));
    EXPECT_TRUE(view.labels.empty());
    options.SetComPortText("COM4");
    EXPECT_TRUE(logic->ConfirmOptions(options));
    EXPECT_EQ(Shown(MainWinLabel::ComPort), "COM4");
}

TEST_F(MainWinLogicTest, TheFileMenuShowsTheChosenNameWithoutItsFolderAndACancelClearsIt) {
    Start();
    fileDialog.answers = {"C:\\Daten\\alt.CDF", ""};
    logic->ChooseFile();
    EXPECT_EQ(Shown(MainWinLabel::FileName), "alt.CDF");
    logic->ChooseFile();
    EXPECT_EQ(Shown(MainWinLabel::FileName), "");
    EXPECT_EQ(settings.BackupFileName, "");
    const auto& second = fileDialog.shown[1];
    EXPECT_EQ(second.mode, FileDialogMode::Save);
    EXPECT_EQ(second.title + "|" + second.preset + "|" + second.description + "|" + second.pattern,
              "Sicherungsdatei speichern...|C:\\Daten\\alt.CDF|CV2 Datenflash (*.CDF)|*.CDF");
}

// While a procedure waits it processes window events: a second click starts
// nothing, the options stay shut, closing the options window leaves the buttons
// to the procedure, and a close request writes the settings and ends at once.
TEST_F(MainWinLogicTest, WhileAProcedureRunsNothingElseStartsAndTheEndStillWritesTheSettings) {
    Start("\"COM7\"\r\n115200\r\n\"\"\r\n");
    settings.BaudRate = 16666;
    int reads = 0, writes = 0;
    logic->onWriteDF = [&] { ++writes; };
    logic->onReadDF = [&] {
        ++reads;
        logic->DisableButtons();
        logic->ClickReadDF();
        logic->ClickWriteDF();
        logic->ChooseOptions();
        logic->OptionsClosed();
        EXPECT_FALSE(view.buttons);
        logic->ChooseEnd();
    };
    logic->ClickReadDF();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(view.optionsOpened, 0);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(runningAtQuit);
    EXPECT_EQ(fileAtQuit, "\"COM7\"\r\n16666\r\n\"\"\r\n");

    // Idle again: the options open, lock the buttons, and give them back.
    logic->ClickWriteDF();
    EXPECT_EQ(writes, 1);
    logic->ChooseOptions();
    EXPECT_EQ(view.optionsOpened, 1);
    logic->OptionsOpened();
    EXPECT_FALSE(view.buttons);
    logic->OptionsClosed();
    EXPECT_TRUE(view.buttons);
}

TEST_F(MainWinLogicTest, TheEndQuitsEvenWhenTheSettingsFileCannotBeWritten) {
    settingsPath = (folder / "missing-folder" / "CV2_DF.INF").string();
    Start();
    logic->ChooseEnd();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

}  // namespace
}  // namespace cv2
