// Modal message boxes: text, title, buttons and icon in, the button pressed out.
// Only the procedures and the port restriction of the link set-up use them.
#pragma once

#include <string>

namespace cv2 {

enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { None, Critical, Exclamation, Information };
enum class BoxAnswer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and waits until the user closes it. Texts are UTF-8; a CR
    // (code 13) inside the text is a line break.
    virtual BoxAnswer Show(const std::string& text, const std::string& title, BoxButtons buttons,
                           BoxIcon icon) = 0;
};

}  // namespace cv2
