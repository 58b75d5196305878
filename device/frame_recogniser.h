// What each completed LocoNet frame is to the request in flight: its echo (the
// frame equal to the one sent), its answer (the first frame of the shape the
// request expects), the station's boot confirmation, or a message of another
// device on the bus, which is counted and otherwise ignored. Nothing here
// depends on how many frames came or in how many reads.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "keys/keys.h"
#include "link/receive_assembler.h"

namespace cv2 {

enum class FrameRole {
    Echo,          // the request as the bus carried it
    Answer,        // the answer the request waits for
    Confirmation,  // the station runs its bootloader
    Foreign,       // another device's message, or one nobody waits for
    Discarded,     // came while the line was drained after a lost answer
};

// The answers a request can have.
enum class AnswerShape {
    None,       // nothing but its echo comes back (the FS module's programming off)
    Command,    // the long acknowledge of the command opcode, or a data reply
    DataReply,  // a data reply only (a block read)
    BootStart,  // as Command; the boot confirmation is watched for beside it
    FsReply,    // the FS module's reply naming its address (and the entry read)
    FsAck,      // the long acknowledge of the FS module's write
};

struct Expectation {
    AnswerShape shape = AnswerShape::None;
    // FsReply: the module address as sent (positions 7 and 8 of the request),
    // and the entry the reply must name (negative: any).
    std::int16_t addressLow = 0, addressHigh = 0;
    std::int32_t entry = -1;
};

// The station's two kinds of answer, each with a valid checksum: the long
// acknowledge of a command (B4 6D code) and the data reply (E5 1F 01 "PC" and the
// five groups of the command field block).
bool IsCommandAck(std::span<const std::int16_t> frame);
bool IsDataReply(std::span<const std::int16_t> frame);
// The acknowledge code that accepts a command.
inline constexpr std::int16_t kAckAccepted = 0x7F;

// A 16-bit field of an FS module frame: positions p and p + 1 with their bit 7
// from bits p - 7 and p - 6 of position 6 (p = 9: the entry, p = 11: the value).
std::int32_t FsField(const std::int16_t* frame, int position);

// What a run met on the bus.
struct LineTally {
    int foreignFrames = 0;  // other devices' messages
    int repeats = 0;        // device requests asked again after a lost answer
    int fsRetries = 0;      // FS module requests sent again
};

class FrameRecogniser final : public FrameListener {
public:
    explicit FrameRecogniser(const ServiceKeyBytes& serviceKey) : serviceKey_(serviceKey) {}

    // A request is about to go out: request holds its bytes without the checksum.
    void Expect(std::span<const std::int16_t> request, const Expectation& expectation);
    // No request is in flight and what comes is thrown away (a late answer).
    void Discard();
    void FrameCompleted(std::span<const std::int16_t> frame) override;

    bool echoed() const { return echoed_; }
    bool answered() const { return answered_; }
    bool confirmed() const { return confirmed_; }
    // The answer's bytes; positions past its length are 0.
    const std::int16_t* answer() const { return answer_.data(); }
    std::span<const std::int16_t> answerFrame() const { return {answer_.data(), answerLength_}; }

    // Whether the interface passes the program's own frames back, as learned
    // from the last answered request.
    enum class Echoes { Unknown, Yes, No };
    Echoes echoes() const { return echoes_; }

    LineTally& tally() { return tally_; }
    const LineTally& tally() const { return tally_; }
    // Told of the role of every frame, after it is counted (a trace shows it).
    void SetObserver(std::function<void(FrameRole)> observer) { observer_ = std::move(observer); }

private:
    FrameRole Classify(std::span<const std::int16_t> frame);
    bool IsEcho(std::span<const std::int16_t> frame) const;
    bool IsAnswer(std::span<const std::int16_t> frame) const;
    bool IsConfirmation(std::span<const std::int16_t> frame) const;

    ServiceKeyBytes serviceKey_;
    std::array<std::int16_t, kLongestFrame> sent_{};
    std::size_t sentLength_ = 0;
    Expectation expectation_;
    bool inFlight_ = false;
    bool discarding_ = false;
    bool echoed_ = false;
    bool answered_ = false;
    bool confirmed_ = false;
    std::array<std::int16_t, kLongestFrame> answer_{};
    std::size_t answerLength_ = 0;
    Echoes echoes_ = Echoes::Unknown;
    LineTally tally_;
    std::function<void(FrameRole)> observer_;
};

}  // namespace cv2
