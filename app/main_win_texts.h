// What the main window and the notice window show whatever toolkit draws them:
// the caption with the version, the file-name part beside "Filename:", and
// the notice text. Both window programs take them from here.
#pragma once

#include <string>

namespace cv2 {

// "CV2 Sicherung - Ver.: " with major, minor and revision as plain numbers.
std::string MainWinCaption(int major, int minor, int revision);

// The file-name part of a path: the text after the last backslash. On Linux a
// slash separates folders too, so the text after the last of either is taken.
std::string FileNamePart(const std::string& path);

// The notice text, UTF-8, lines broken by CR LF: five paragraphs.
std::string NoticeText();

}  // namespace cv2
