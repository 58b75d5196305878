// Choosing the backup file to restore from: the open dialog on the file in use.
// (The save dialog and a cancel are checked through the main window.)
#include "app/file_choice.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_dialogs.h"

namespace cv2 {
namespace {

TEST(ChooseBackupFile, ModeZeroOpensOnTheFileInUseAnyOtherSaves) {
    FakeFileDialog dialog;
    dialog.answers = {"/home/u/alt.CDF", ""};
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 0, "/home/u/neu.CDF"), "/home/u/alt.CDF");
    EXPECT_EQ(ChooseBackupFile(dialog, "CDF", 7, "/home/u/neu.CDF"), "");  // cancelled
    ASSERT_EQ(dialog.shown.size(), 2u);
    EXPECT_EQ(dialog.shown[0].mode, FileDialogMode::Open);
    EXPECT_EQ(dialog.shown[0].title, "Sicherungsdatei öffnen...");
    EXPECT_EQ(dialog.shown[0].preset, "/home/u/neu.CDF");
    EXPECT_EQ(dialog.shown[0].description, "CV2 Datenflash (*.CDF)");
    EXPECT_EQ(dialog.shown[0].pattern, "*.CDF");
    EXPECT_EQ(dialog.shown[1].mode, FileDialogMode::Save);
}

}  // namespace
}  // namespace cv2
