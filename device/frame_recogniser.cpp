#include "device/frame_recogniser.h"

#include <algorithm>

#include "link/loconet.h"

namespace cv2 {

namespace {

// Data reply head: E5 1F 01 "PC".
constexpr std::int16_t kDataReplyHead[] = {kOpReply, 0x1F, 0x01, 0x50, 0x43};
constexpr std::size_t kDataReplyLength = 31;
// FS module reply: E5, 15 bytes.
constexpr std::size_t kFsReplyLength = 15;
constexpr int kFsAddressPos = 7;
constexpr int kFsEntryPos = 9;

// The boot confirmation: a data reply with these bytes, and the service key at
// 16..19 and 21..24. Position 6 and 26..30 vary.
struct Fixed {
    int pos;
    std::int16_t value;
};
constexpr Fixed kConfirmationBytes[] = {
    {0, kOpReply}, {1, 0x1F},  {2, 0x01},  {3, 0x50},  {4, 0x43},  {5, 0x70},
    {7, 0x7F},     {8, 0x7F},  {9, 0x7F},  {10, 0x70}, {11, 0x00}, {12, 0x00},
    {13, 0x00},    {14, 0x00}, {15, 0x30}, {20, 0x70}, {25, 0x00}};
constexpr int kConfirmationKeyLow = 16, kConfirmationKeyHigh = 21;

bool Valid(std::span<const std::int16_t> frame) { return ChecksumValid(frame); }

}  // namespace

bool IsCommandAck(std::span<const std::int16_t> f) {
    return f.size() == kLongAckLength && f[0] == kOpLongAck && f[1] == AckedOpcode(kOpCommand) &&
           Valid(f);
}

bool IsDataReply(std::span<const std::int16_t> f) {
    return f.size() == kDataReplyLength &&
           std::equal(std::begin(kDataReplyHead), std::end(kDataReplyHead), f.begin()) && Valid(f);
}

std::int32_t FsField(const std::int16_t* frame, int position) {
    const int high = frame[6];
    const int bit = position - kFsAddressPos;
    return (frame[position] + 128 * ((high >> bit) & 1)) +
           256 * (frame[position + 1] + 128 * ((high >> (bit + 1)) & 1));
}

void FrameRecogniser::Expect(std::span<const std::int16_t> request,
                             const Expectation& expectation) {
    sentLength_ = std::min(request.size() + 1, sent_.size());
    std::copy_n(request.begin(), sentLength_ - 1, sent_.begin());
    sent_[sentLength_ - 1] = Checksum(request.first(sentLength_ - 1));
    expectation_ = expectation;
    inFlight_ = true;
    discarding_ = false;
    echoed_ = answered_ = confirmed_ = false;
    answer_.fill(0);
    answerLength_ = 0;
}

void FrameRecogniser::Discard() {
    inFlight_ = false;
    discarding_ = true;
}

void FrameRecogniser::FrameCompleted(std::span<const std::int16_t> frame) {
    const FrameRole role = Classify(frame);
    if (role == FrameRole::Foreign) ++tally_.foreignFrames;
    if (observer_) observer_(role);
}

FrameRole FrameRecogniser::Classify(std::span<const std::int16_t> frame) {
    if (discarding_) return FrameRole::Discarded;
    if (!inFlight_) return FrameRole::Foreign;
    if (!echoed_ && IsEcho(frame)) {
        echoed_ = true;
        return FrameRole::Echo;
    }
    if (expectation_.shape == AnswerShape::BootStart && IsConfirmation(frame)) {
        confirmed_ = true;
        return FrameRole::Confirmation;
    }
    // Once the interface is known to echo, an answer comes after its request's
    // echo: what comes before it answers something else.
    const bool echoPending = !echoed_ && echoes_ == Echoes::Yes;
    if (!answered_ && !echoPending && IsAnswer(frame)) {
        answered_ = true;
        echoes_ = echoed_ ? Echoes::Yes : Echoes::No;
        std::copy(frame.begin(), frame.end(), answer_.begin());
        answerLength_ = frame.size();
        return FrameRole::Answer;
    }
    return FrameRole::Foreign;
}

bool FrameRecogniser::IsEcho(std::span<const std::int16_t> frame) const {
    return std::equal(frame.begin(), frame.end(), sent_.begin(), sent_.begin() + sentLength_);
}

bool FrameRecogniser::IsAnswer(std::span<const std::int16_t> f) const {
    switch (expectation_.shape) {
        case AnswerShape::None:
            return false;
        case AnswerShape::Command:
        case AnswerShape::BootStart:
            return IsCommandAck(f) || IsDataReply(f);
        case AnswerShape::DataReply:
            return IsDataReply(f);
        case AnswerShape::FsAck:
            return IsCommandAck(f);
        case AnswerShape::FsReply:
            return f.size() == kFsReplyLength && f[0] == kOpReply &&
                   f[1] == static_cast<std::int16_t>(kFsReplyLength) &&
                   f[kFsAddressPos] == expectation_.addressLow &&
                   f[kFsAddressPos + 1] == expectation_.addressHigh && Valid(f) &&
                   (expectation_.entry < 0 || FsField(f.data(), kFsEntryPos) == expectation_.entry);
    }
    return false;
}

bool FrameRecogniser::IsConfirmation(std::span<const std::int16_t> f) const {
    if (f.size() != kDataReplyLength) return false;
    for (const Fixed& e : kConfirmationBytes) {
        if (f[e.pos] != e.value) return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (f[kConfirmationKeyLow + i] != serviceKey_[i] ||
            f[kConfirmationKeyHigh + i] != serviceKey_[4 + i])
            return false;
    }
    return true;
}

}  // namespace cv2
