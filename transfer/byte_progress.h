// What the backup file primitives report after each transfer: the bytes moved.
// The progress display implements it.
#pragma once

namespace cv2 {

class ByteProgress {
public:
    virtual ~ByteProgress() = default;
    // Adds the bytes to the run's counter and lets the display update itself.
    virtual void AddBytes(int bytes) = 0;
};

}  // namespace cv2
