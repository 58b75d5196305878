// Where the settings file lives: beside the program, or, when the program's
// folder cannot be written (an installed program), in the user's configuration
// folder. The same place serves reading at start and writing at the end.
#pragma once

#include <string>

namespace cv2 {

// The user's configuration folder of this program: $XDG_CONFIG_HOME/cv2sicherung,
// or ~/.config/cv2sicherung. xdgConfigHome and home are the values of
// $XDG_CONFIG_HOME and $HOME (empty when unset); a relative $XDG_CONFIG_HOME
// is ignored, as the XDG rules say. Empty when neither gives a folder.
std::string ConfigFolder(const std::string& xdgConfigHome, const std::string& home);
// ConfigFolder for this process's environment (on Windows under %APPDATA%).
std::string UserConfigFolder();

// The folder for the settings file: beside the program when it may write there,
// otherwise the configuration folder (from ConfigFolder).
std::string SettingsFolder(const std::string& programDir, bool programDirWritable,
                           const std::string& configFolder);

// The full path of the settings file for this process, from the program's
// folder and the environment. Creates the configuration folder when it is the
// one chosen, so that the file can be written there at the end.
std::string SettingsFilePath(const std::string& programDir);

}  // namespace cv2
