// Feeds arbitrary line bytes to the receive assembler and the frame recogniser
// behind it, with the slot reset now and then as a sender does, while a request
// of a chosen shape is in flight. Checks that the assembler's state stays valid
// (slot and position in range, completed frames marked, nothing written outside
// slots 0..31) and that the recogniser gives every completed frame one role,
// counts exactly the foreign ones and takes one answer at most, of its shape.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/frame_recogniser.h"
#include "fuzz/fuzz_check.h"
#include "link/loconet.h"
#include "link/receive_assembler.h"

using cv2::fuzz::Check;

namespace {

constexpr cv2::ServiceKeyBytes kKey = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x08};
// Control bytes: the first input byte chooses what a sender does meanwhile.
constexpr std::uint8_t kResetSlotEvery = 0x0F;  // reset RxSlot after some bytes
constexpr std::uint8_t kShapeBits = 0x70;       // the answer shape in flight, bits 4..6
// A block read as the program sends it: its echo may be in the input.
const std::vector<std::int16_t> kRequest = {
    0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Guard bytes around the assembler catch writes past either end of RxFrames.
    struct Guarded {
        std::uint8_t before[64];
        cv2::ReceiveAssembler rx;
        std::uint8_t after[64];
    };
    static Guarded g;
    g.rx = cv2::ReceiveAssembler();
    std::memset(g.before, 0xA5, sizeof g.before);
    std::memset(g.after, 0x5A, sizeof g.after);
    const std::uint8_t control = data[0];
    const int resetEvery = (control & kResetSlotEvery) + 1;

    cv2::FrameRecogniser frames(kKey);
    int foreign = 0, answers = 0, completed = 0;
    frames.SetObserver([&](cv2::FrameRole role) {
        ++completed;
        if (role == cv2::FrameRole::Foreign) ++foreign;
        if (role == cv2::FrameRole::Answer) ++answers;
    });
    const auto shape = static_cast<cv2::AnswerShape>(((control & kShapeBits) >> 4) % 6);
    frames.Expect(kRequest, {shape, 0x0D, 0x19, (control & 0x80) ? 5 : -1});
    g.rx.SetListener(&frames);

    int frameCount = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (resetEvery > 1 && i % static_cast<std::size_t>(resetEvery * 7) == 0) g.rx.RxSlot = 0;
        const std::int16_t slot = g.rx.RxSlot;
        g.rx.Step(data[i]);
        const cv2::ReceiveAssembler& rx = g.rx;
        Check(rx.RxSlot >= 0 && rx.RxSlot <= 31);
        Check(rx.RxPos >= 0 && rx.RxPos <= 64);
        Check(!rx.RxInFrame || rx.RxPos < 64);
        // A completed frame: marked, its opcode stored, its length within the slot.
        if (rx.RxSlot != slot) {
            ++frameCount;
            Check(rx.RxSlot == ((slot + 1) & 31));
            Check(rx.RxFrames[slot][cv2::ReceiveAssembler::kMark] == -1);
            Check((rx.RxFrames[slot][0] & 0x80) != 0);
        }
    }
    g.rx.SetListener(nullptr);
    // One role a frame, the foreign ones counted, one answer at most.
    Check(completed == frameCount);
    Check(frames.tally().foreignFrames == foreign);
    Check(answers <= 1 && frames.answered() == (answers == 1));
    if (frames.answered()) {
        Check(shape != cv2::AnswerShape::None);
        const std::int16_t* a = frames.answer();
        const std::size_t length = a[0] == 0xB4 ? 4 : static_cast<std::size_t>(a[1]);
        Check(cv2::ChecksumValid(std::span<const std::int16_t>(a, length)));
    }
    // The whole buffer once per input: slot 32 untouched, bytes and marks valid.
    const cv2::ReceiveAssembler& rx = g.rx;
    for (int p = 0; p < cv2::ReceiveAssembler::kPositions; ++p) Check(rx.RxFrames[32][p] == 0);
    for (int s = 0; s < 32; ++s) {
        for (int p = 0; p < cv2::ReceiveAssembler::kMark; ++p) {
            Check(rx.RxFrames[s][p] >= 0 && rx.RxFrames[s][p] <= 255);
        }
        Check(rx.RxFrames[s][cv2::ReceiveAssembler::kMark] == 0 ||
              rx.RxFrames[s][cv2::ReceiveAssembler::kMark] == -1);
    }
    for (std::uint8_t b : g.before) Check(b == 0xA5);
    for (std::uint8_t b : g.after) Check(b == 0x5A);
    return 0;
}
