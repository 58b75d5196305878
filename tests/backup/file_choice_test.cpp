// Choosing the backup file: the dialog the user sees in each mode, cancelling,
// and a dialog that fails.
#include "app/file_choice.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/fake/fake_dialogs.h"

namespace cv2 {
namespace {

TEST(ChooseBackupFile, OpenModeShowsTheOpenDialogOnTheFileInUse) {
    FakeFileDialog dialog;
    dialog.answers.push_back("/home/u/alt.CDF");
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 0, "/home/u/neu.CDF"), "/home/u/alt.CDF");
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].mode, FileDialogMode::Open);
    EXPECT_EQ(dialog.shown[0].title, "Sicherungsdatei öffnen...");
    EXPECT_EQ(dialog.shown[0].preset, "/home/u/neu.CDF");
    EXPECT_EQ(dialog.shown[0].description, "CV2 Datenflash (*.CDF)");
    EXPECT_EQ(dialog.shown[0].pattern, "*.CDF");
}

TEST(ChooseBackupFile, AnyOtherModeIsTheSaveDialog) {
    FakeFileDialog dialog;
    ChooseBackupFile(dialog, "CDF", 7, "");
    EXPECT_EQ(dialog.shown[0].mode, FileDialogMode::Save);
    EXPECT_EQ(dialog.shown[0].title, "Sicherungsdatei speichern...");
}

TEST(ChooseBackupFile, CancelGivesTheEmptyStringInBothModes) {
    FakeFileDialog dialog;
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 0, "/a.CDF"), "");
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 1, "/a.CDF"), "");
}

TEST(ChooseBackupFile, AFailingDialogLeavesTheNameAsItWas) {
    struct BrokenDialog : FileDialog {
        std::string Show(FileDialogMode, const std::string&, const std::string&, const std::string&,
                         const std::string&) override {
            throw std::runtime_error("no display");
        }
    } dialog;
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 1, "/a.CDF"), "/a.CDF");
}

TEST(LoadMenuFileChoice, ACancelClearsTheChosenFile) {
    FakeFileDialog dialog;
    Settings settings;
    settings.BackupFileName = "/a.CDF";
    LoadMenuFileChoice(dialog, settings);
    EXPECT_EQ(settings.BackupFileName, "");
    EXPECT_EQ(dialog.shown[0].mode, FileDialogMode::Save);
    EXPECT_EQ(dialog.shown[0].preset, "/a.CDF");

    dialog.answers.push_back("/b.CDF");
    LoadMenuFileChoice(dialog, settings);
    EXPECT_EQ(settings.BackupFileName, "/b.CDF");
}

}  // namespace
}  // namespace cv2
