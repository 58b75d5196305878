// What both window programs show and guard alike, whatever draws the windows:
// the caption, the file-name part beside "Filename:", and one procedure at a time.
#include "app/main_win_texts.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace cv2
