// What both window programs show and guard alike, whatever draws the windows:
// the caption, the file-name part beside "Filename:", and one procedure at a time.
#include "app/main_win_texts.h"

#include <gtest/gtest.h>

#include "app/procedure_guard.h"

namespace cv2 {
namespace {

TEST(MainWinTexts, TheCaptionNamesTheVersionAsPlainNumbers) {
    EXPECT_EQ(MainWinCaption(1, 0, 0), "CV2 Sicherung - Ver.: 1.0.0");
    EXPECT_EQ(MainWinCaption(2, 10, 3), "CV2 Sicherung - Ver.: 2.10.3");
}

TEST(MainWinTexts, TheFileNamePartIsWhatFollowsTheLastFolderSeparator) {
    EXPECT_EQ(FileNamePart("C:\\Sicherungen\\2024\\anlage.CDF"), "anlage.CDF");
    EXPECT_EQ(FileNamePart("/home/anna/lok.CDF"), "lok.CDF");
    EXPECT_EQ(FileNamePart("anlage.CDF"), "anlage.CDF");
    EXPECT_EQ(FileNamePart(""), "");
    EXPECT_EQ(FileNamePart("C:\\Sicherungen\\"), "");
}

TEST(ProcedureGuard, AClickInsideARunningProcedureStartsNothingAndTheNextClickRuns) {
    ProcedureGuard guard;
    int runs = 0;
    bool innerRan = true;
    EXPECT_TRUE(guard.Run([&] {
        ++runs;
        EXPECT_TRUE(guard.running());
        // A procedure processes window events while it waits: a click arrives.
        innerRan = guard.Run([&] { ++runs; });
    }));
    EXPECT_FALSE(innerRan);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(guard.running());
    EXPECT_TRUE(guard.Run([&] { ++runs; }));
    EXPECT_EQ(runs, 2);
    // A button without a procedure behind it does nothing.
    EXPECT_FALSE(guard.Run({}));
}

}  // namespace
}  // namespace cv2
