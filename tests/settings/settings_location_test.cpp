// Where the settings file is read and written.
#include "settings/settings_location.h"

#include <gtest/gtest.h>

namespace cv2 {
namespace {

TEST(SettingsFolder, BesideTheProgramWhenItsFolderIsWritable) {
    EXPECT_EQ(SettingsFolder("/opt/cv2", true, "/home/u/.cfg", "/home/u"), "/opt/cv2");
}

TEST(SettingsFolder, XdgConfigHomeWhenTheProgramFolderIsReadOnly) {
    EXPECT_EQ(SettingsFolder("/usr/bin", false, "/home/u/.cfg", "/home/u"),
              "/home/u/.cfg/cv2sicherung");
}

TEST(SettingsFolder, DotConfigInHomeWithoutUsableXdgConfigHome) {
    EXPECT_EQ(SettingsFolder("/usr/bin", false, "", "/home/u"), "/home/u/.config/cv2sicherung");
    // A relative XDG_CONFIG_HOME is not to be used.
    EXPECT_EQ(SettingsFolder("/usr/bin", false, "cfg", "/home/u"), "/home/u/.config/cv2sicherung");
}

}  // namespace
}  // namespace cv2
