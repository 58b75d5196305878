// The device command layer: the shared command field block, the 31-byte
// command frame with its reply wait, payload packing and the device commands.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "keys/keys.h"
#include "device/status.h"
#include "link/link.h"

namespace cv2 {

// The reply wait of SendCommand and the wait of BootloaderStart for the station's
// confirmation frame; a wait ends only when more than its limit has passed.
inline constexpr double kReplyWaitSeconds = 2.0;
inline constexpr double kBootConfirmWaitSeconds = 20.0;

// Status of SendCommand when the echo and the reply did not both come in time.
inline constexpr StatusCode kReplyTimedOut = 13;

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
    // keys: the one table of both keys; the link's receive recogniser was
    // given the same ServiceKey.
    Device(Link& link, const KeyTable& keys);

    CommandBlock& block() { return block_; }
    Link& link() { return link_; }
    const KeyTable& keys() const { return keys_; }

    // Frame and wait.
    void PackCommand();
    void SendCommand(StatusCode& Status);
    // Reply slot 1 into the field block (high-bit bytes and data fields).
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
};


}  // namespace cv2
