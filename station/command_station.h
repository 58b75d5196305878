// The simulated command station's protocol side: takes the bytes the program
// sends, cuts them into frames (or command texts of the interface dialogue)
// and answers as the station does: the LocoNet echo, acknowledges, data
// replies, the boot confirmation and the FS module's replies. No clock here:
// when the answers reach the program is the wire model's business.
//
// The station knows the frame format and the file layout on its own and shares
// nothing with the program but the key values (keys/keys.h), so every test of
// the program against it is checked by a second implementation.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "station/station_frame.h"
#include "station/station_memory.h"
#include "station/station_options.h"

namespace cv2::station {

enum class AnswerKind {
    Echo,          // the frame as LocoNet carried it
    Noise,         // stray bytes on the line
    Reply,         // the station's answer to a request
    Confirmation,  // the frame that follows the acknowledge of the bootloader start
    Text,          // the interface's prompt in the text dialogue
    Foreign,       // another device's message on the bus
};

struct Answer {
    AnswerKind kind;
    Bytes bytes;
    // Bus time before it starts after what went before, at wire speed.
    double gap = 0;
    // Seconds an answer comes late, in real time whatever the speed.
    double late = 0;
};

// The FS module's address on LocoNet.
constexpr std::uint16_t kFsModuleAddress = 6541;

class CommandStation {
public:
    explicit CommandStation(StationOptions options = {});

    // One byte from the program; returns the answers it triggers, in order.
    std::vector<Answer> Receive(std::uint8_t byte);
    std::vector<Answer> Receive(const Bytes& bytes);

    // Replaces the content by a backup image (see LoadBackupImage); false when
    // the image is not a complete backup.
    bool LoadBackup(std::span<const std::uint8_t> image);
    // The backup file a complete backup of the present content produces.
    std::vector<std::uint8_t> ExpectedBackup() const;

    StationMemory& memory() { return memory_; }
    const StationMemory& memory() const { return memory_; }
    StationOptions& options() { return options_; }

    // What the station's display shows ("Datenbank lesen" ...), and its cursor.
    const std::string& display() const { return display_; }
    int cursorA() const { return cursorA_; }
    int cursorB() const { return cursorB_; }
    bool bootloaderActive() const { return bootloader_; }
    bool fsProgramming() const { return fsProgramming_; }
    bool lineDropped() const { return lineDropped_; }
    // Requests received so far (checksum valid and understood), all or of one kind.
    int requests() const { return requests_; }
    int Count(Request request) const { return counts_[static_cast<int>(request)]; }
    // Other devices' messages put on the bus, and answers lost on their way back.
    int foreignFrames() const { return foreignFrames_; }
    int answersLost() const { return answersLost_; }
    // Every understood request in order, with its flash page, buffer offset or
    // FS module entry number.
    struct Logged {
        Request request;
        int argument;
        bool operator==(const Logged&) const = default;
    };
    const std::vector<Logged>& log() const { return log_; }

private:
    std::vector<Answer> HandleFrame(const Bytes& frame);
    // The answers to one understood request, before faults are applied;
    // false when the frame is not a request of this station.
    bool Respond(const Bytes& frame, Request& request, std::vector<Answer>& out);
    bool DeviceCommand(const Fields& f, Request& request, std::vector<Answer>& out);
    bool FsRequest(const FsFrame& f, Request& request, std::vector<Answer>& out);
    bool KeyValid(const Fields& f) const;
    // Counts a write and tells whether it is the one to refuse.
    bool WriteRefused();
    void ApplyContentFaults();
    // The faults of the answers to one request: lost, late, noise.
    void AnswerFaults(Request request, std::vector<Answer>& answers);
    // Other devices' messages around the frames of one exchange.
    void AddTraffic(std::vector<Answer>& out);

    StationOptions options_;
    StationMemory memory_;
    Bytes frame_;
    int expected_ = 0;
    bool inFrame_ = false;
    std::string text_;
    std::string display_;
    int cursorA_ = 0, cursorB_ = 0;
    bool bootloader_ = false;
    bool fsProgramming_ = false;
    bool lineDropped_ = false;
    int requests_ = 0;
    int writes_ = 0;
    int argument_ = 0;  // of the request being answered
    std::array<int, 13> counts_{};
    std::mt19937 random_;
    int answered_ = 0;  // requests whose answers could have been lost
    int foreignFrames_ = 0;
    int answersLost_ = 0;
    std::vector<Logged> log_;
};

}  // namespace cv2::station
