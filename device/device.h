// The device command layer: the shared command field block, the 31-byte
// command frame with its reply wait, payload packing and the device commands.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/frame_recogniser.h"
#include "device/status.h"
#include "keys/keys.h"
#include "link/link.h"

namespace cv2 {

// The reply wait of SendCommand and the wait of BootloaderStart for the station's
// confirmation frame; a wait ends only when more than its limit has passed.
inline constexpr double kReplyWaitSeconds = 2.0;
inline constexpr double kBootConfirmWaitSeconds = 20.0;

// Status of SendCommand when no answer came in time (to the repeat either).
inline constexpr StatusCode kReplyTimedOut = Code(Detail::TimedOut);
// Status of SendCommand when a run has lost more answers than it may repeat.
inline constexpr StatusCode kAnswersLost = Code(Detail::AnswersLost);
// Status of a frame that could not be handed to the port.
inline constexpr StatusCode kSendFailed = Code(Kind::Message, Detail::SendFailed);
// Requests a run may ask again after a lost answer; each costs a reply wait.
inline constexpr int kMostRepeats = 100;
// Before a request is asked again, and after a repeated request is answered,
// the line is left until it has been quiet this long (at most kDrainLimit), so
// that a late answer cannot pass for the answer to a later request.
inline constexpr double kDrainQuiet = 0.1;
inline constexpr double kDrainLimit = 1.0;

// Whether a request whose answer was lost may be sent once more: only where a
// second identical request leaves the station as the first would.
enum class Repeat { Once, Never };

// RecordBuf(1..16): the last record read from the backup file; entry 0 exists but is never sent.
using RecordBuffer = std::array<std::int16_t, 17>;

struct CommandBlock {
    std::int16_t CmdData[20] = {};
    std::int16_t CmdSelA = 0, CmdSelB = 0, CmdSelC = 0;
    std::int16_t CmdHigh[5] = {};
    std::int16_t TxFrame[30] = {};
    double WaitStart = 0;
};

class Device {
public:
    // keys: the one table of both keys. Listens to the link's received frames.
    Device(Link& link, const KeyTable& keys);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    CommandBlock& block() { return block_; }
    Link& link() { return link_; }
    const KeyTable& keys() const { return keys_; }
    // What each received frame is to the request in flight, and what a run met.
    FrameRecogniser& frames() { return frames_; }

    // Frame and wait: sends the field block and waits for the answer of the
    // given shape; a lost answer is asked for once more where repeat allows.
    void PackCommand();
    void SendCommand(StatusCode& Status, AnswerShape shape = AnswerShape::Command,
                     Repeat repeat = Repeat::Once);
    // The line left to fall quiet; what arrives meanwhile is thrown away.
    void DrainLine();
    // The answer into the field block (high-bit bytes and data fields).
    void TakeDataReply();
    // Data packing.
    void UnpackReply();
    void DescramblePayload();
    void ScramblePayload(const RecordBuffer& RecordBuf);

    // Device commands.
    void SamFlashRead(std::int16_t page, StatusCode& Status);
    void SamFlashWrite(std::int16_t page, StatusCode& Status);
    void DataFlashRead(std::int16_t page, StatusCode& Status);
    void DataFlashWrite(std::int16_t page, StatusCode& Status);
    void ReadBlock(std::int16_t offset, StatusCode& Status);
    void WriteBlock(std::int16_t offset, const RecordBuffer& RecordBuf, StatusCode& Status);
    void ReadSerialNumber(double& serial, std::int16_t& id3, std::int16_t& id2, std::int16_t& id1,
                          std::int16_t& id0, StatusCode& Status);
    void BootloaderStart(StatusCode& Status);
    void BootloaderEnd(StatusCode& Status);
    void DisplayClear(StatusCode& Status);
    void DisplayCursor(std::int16_t a, std::int16_t b, StatusCode& Status);
    // text is UTF-8; it goes out in the station's single-byte code page (Latin-1,
    // '?' for characters beyond it), at most 20 characters.
    void DisplayText(const std::string& text, StatusCode& Status);

private:
    Link& link_;
    const KeyTable& keys_;
    CommandBlock block_;
    FrameRecogniser frames_;
};

}  // namespace cv2
