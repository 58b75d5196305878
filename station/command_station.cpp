#include "station/command_station.h"

#include <algorithm>

#include "station/backup_image.h"
#include "station/bus_traffic.h"
#include "station/seeded_content.h"

namespace cv2::station {

namespace {

// The interface's text dialogue: both command texts are answered with its prompt.
constexpr char kTextEnd = '\r';
constexpr const char* kSetRateText = "xB19200";
constexpr const char* kFrameModeText = "x&LN$3C96";
constexpr const char* kPrompt = "]";
constexpr std::size_t kMaxTextLength = 64;
constexpr int kMaxFrameLength = 64;

// Selectors of the command families.
constexpr std::uint8_t kSelService = 3, kSelBlock = 4;
constexpr std::uint8_t kSelMemory = 3, kSelBootStart = 7, kSelBootEnd = 0, kSelDisplay = 1;
constexpr std::uint8_t kSelBlockRead = 4, kSelBlockWrite = 2;
constexpr std::uint8_t kDisplayClear = 0, kDisplayCursor = 1, kDisplayText = 3;
constexpr int kDisplayChars = 20;

// First two data fields of the memory commands.
constexpr std::uint8_t kSamRead[2] = {0x00, 0x08}, kSamWrite[2] = {0x5A, 0x08},
                       kDataRead[2] = {0x45, 0x0A}, kDataWrite[2] = {0xDF, 0x0A};
constexpr std::uint8_t kBootFill = 0x7F;

// FS frames: position 5 and the last data byte tell the requests apart.
constexpr std::uint8_t kOpFsOff = 0xE5;
constexpr std::uint8_t kFsPos5Write = 0x20, kFsPos5Other = 0x21;
constexpr std::uint8_t kFsLastOn = 0x80, kFsLastRead = 0x00, kFsLastOff = 0x40;

constexpr int kVersionFaultWord = 3;

bool Is(const Fields& f, const std::uint8_t (&head)[2]) {
    return f.data[0] == head[0] && f.data[1] == head[1];
}

}  // namespace

const char* RequestName(Request r) {
    switch (r) {
        case Request::SamFlashRead:
            return "SamFlashRead";
        case Request::SamFlashWrite:
            return "SamFlashWrite";
        case Request::DataFlashRead:
            return "DataFlashRead";
        case Request::DataFlashWrite:
            return "DataFlashWrite";
        case Request::ReadBlock:
            return "ReadBlock";
        case Request::WriteBlock:
            return "WriteBlock";
        case Request::BootloaderStart:
            return "BootloaderStart";
        case Request::BootloaderEnd:
            return "BootloaderEnd";
        case Request::Display:
            return "Display";
        case Request::FsProgOn:
            return "FsProgOn";
        case Request::FsReadEntry:
            return "FsReadEntry";
        case Request::FsWriteEntry:
            return "FsWriteEntry";
        case Request::FsProgOff:
            return "FsProgOff";
    }
    return "";
}

std::optional<Request> RequestFromName(const std::string& name) {
    for (int i = 0; i <= static_cast<int>(Request::FsProgOff); ++i) {
        const auto r = static_cast<Request>(i);
        if (name == RequestName(r)) return r;
    }
    return std::nullopt;
}

CommandStation::CommandStation(StationOptions options)
    : options_(std::move(options)), random_(options_.seed) {
    SeedContent(memory_, options_.seed, IdentityVariant(options_.identity));
    ApplyContentFaults();
}

void CommandStation::ApplyContentFaults() {
    if (options_.faults.versionWord)
        memory_.SetVersionWord(kVersionFaultWord, *options_.faults.versionWord);
}

bool CommandStation::LoadBackup(std::span<const std::uint8_t> image) {
    if (!LoadBackupImage(memory_, image)) return false;
    ApplyContentFaults();
    return true;
}

std::vector<std::uint8_t> CommandStation::ExpectedBackup() const {
    return RenderBackupImage(memory_);
}

std::vector<Answer> CommandStation::Receive(const Bytes& bytes) {
    std::vector<Answer> all;
    for (char c : bytes) {
        auto some = Receive(static_cast<std::uint8_t>(c));
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

std::vector<Answer> CommandStation::Receive(std::uint8_t b) {
    if (lineDropped_) return {};
    if (b & 0x80) {
        // An opcode starts a frame and abandons whatever was incomplete.
        frame_.assign(1, static_cast<char>(b));
        expected_ = FrameLength(b);
        inFrame_ = true;
        text_.clear();
        return {};
    }
    if (!inFrame_) {
        if (b == kTextEnd) {
            const bool known = text_ == kSetRateText || text_ == kFrameModeText;
            text_.clear();
            if (known) return {{AnswerKind::Text, kPrompt}};
            return {};
        }
        if (text_.size() < kMaxTextLength) text_ += static_cast<char>(b);
        return {};
    }
    frame_ += static_cast<char>(b);
    if (expected_ == 0 && frame_.size() == 2) {
        expected_ = b;
        // A length that cannot hold opcode, length and checksum, or a frame
        // longer than anyone sends, is dropped.
        if (expected_ < 3 || expected_ > kMaxFrameLength) {
            inFrame_ = false;
            return {};
        }
    }
    if (static_cast<int>(frame_.size()) < expected_) return {};
    inFrame_ = false;
    return HandleFrame(frame_);
}

std::vector<Answer> CommandStation::HandleFrame(const Bytes& frame) {
    const Faults& faults = options_.faults;
    std::vector<Answer> out;
    if (!faults.missingEcho) out.push_back({AnswerKind::Echo, frame});
    // The bus carries a damaged frame like any other, but nobody acts on it.
    if (!ChecksumValid(frame)) return out;
    Request request;
    std::vector<Answer> answers;
    if (!Respond(frame, request, answers)) return out;
    ++requests_;
    ++counts_[static_cast<int>(request)];
    log_.push_back({request, argument_});
    const bool isFs = request >= Request::FsProgOn;
    const bool silent =
        (faults.silentRequest && *faults.silentRequest == request) ||
        (faults.silentAfterRequests > 0 && requests_ > faults.silentAfterRequests) ||
        (isFs && faults.silentFsModule);
    if (!silent && !answers.empty()) {
        AnswerFaults(request, answers);
        out.insert(out.end(), answers.begin(), answers.end());
    }
    if (faults.traffic > 0) AddTraffic(out);
    if (faults.dropLineAfterRequests > 0 && requests_ >= faults.dropLineAfterRequests)
        lineDropped_ = true;
    return out;
}

void CommandStation::AnswerFaults(Request request, std::vector<Answer>& answers) {
    const Faults& faults = options_.faults;
    const bool bootloader =
        request == Request::BootloaderStart || request == Request::BootloaderEnd;
    if (faults.loseAnswer > 0 && !bootloader && ++answered_ % faults.loseAnswer == 0) {
        ++answersLost_;
        answers.clear();
        return;
    }
    if (faults.lateAnswerAt == requests_) answers.front().late = faults.lateBy;
    if (!faults.noise.empty()) answers.insert(answers.begin(), {AnswerKind::Noise, faults.noise});
}

void CommandStation::AddTraffic(std::vector<Answer>& out) {
    const int every = options_.faults.traffic;
    auto foreign = [&] {
        ++foreignFrames_;
        return Answer{AnswerKind::Foreign,
                      ForeignFrame(static_cast<int>(random_() % kForeignKinds), random_)};
    };
    // Between the request's echo and its answer.
    if (requests_ % every == 0) {
        const bool echo = !out.empty() && out.front().kind == AnswerKind::Echo;
        out.insert(out.begin() + (echo ? 1 : 0), foreign());
    }
    // Anywhere: before the echo, between the frames, after the answer, or a
    // little later, when the next request may be on its way.
    if (random_() % static_cast<unsigned>(every) == 0) {
        const auto at = static_cast<std::ptrdiff_t>(random_() % (out.size() + 2));
        Answer a = foreign();
        if (at > static_cast<std::ptrdiff_t>(out.size())) {
            a.gap = static_cast<double>(random_() % 40) * 0.001;
            out.push_back(a);
        } else {
            out.insert(out.begin() + at, a);
        }
    }
}

bool CommandStation::Respond(const Bytes& frame, Request& request, std::vector<Answer>& out) {
    if (auto f = DecodeCommand(frame)) return DeviceCommand(*f, request, out);
    if (auto f = DecodeFs(frame)) return FsRequest(*f, request, out);
    return false;
}

bool CommandStation::KeyValid(const Fields& f) const {
    return std::equal(options_.keys.ServiceKey.begin(), options_.keys.ServiceKey.end(),
                      f.data.begin() + 8);
}

bool CommandStation::WriteRefused() {
    ++writes_;
    return options_.faults.refuseWrite > 0 && writes_ == options_.faults.refuseWrite;
}

bool CommandStation::DeviceCommand(const Fields& f, Request& request, std::vector<Answer>& out) {
    auto ack = [&](bool ok) {
        out.push_back({AnswerKind::Reply, LongAck(kOpCommand, ok ? kAckAccepted : kAckRefused)});
    };
    const int address = f.data[2] | (f.data[3] << 8);
    const int offset = f.data[16] | (f.data[17] << 8);
    argument_ = f.selA == kSelBlock ? offset : address;
    if (f.selA == kSelService && f.selB == kSelMemory && f.selC == 0) {
        if (Is(f, kSamRead)) {
            request = Request::SamFlashRead;
            ack(KeyValid(f) && memory_.LoadSamPage(address));
        } else if (Is(f, kSamWrite)) {
            request = Request::SamFlashWrite;
            ack(!WriteRefused() && KeyValid(f) && memory_.StoreSamPage(address));
        } else if (Is(f, kDataRead)) {
            request = Request::DataFlashRead;
            ack(KeyValid(f) && memory_.LoadDataPage(address));
        } else if (Is(f, kDataWrite)) {
            request = Request::DataFlashWrite;
            ack(!WriteRefused() && KeyValid(f) && memory_.StoreDataPage(address));
        } else {
            return false;
        }
        return true;
    }
    if (f.selA == kSelBlock && f.selB == kSelBlockRead) {
        request = Request::ReadBlock;
        // Buffer byte off+i travels in field 8+i, byte off+8+i in field 7-i, each keyed.
        const auto block = memory_.ReadBlock(offset);
        Fields reply = f;
        for (int i = 0; i < 8; ++i) {
            reply.data[8 + i] = block[i] ^ options_.keys.PayloadKey[8 + i];
            reply.data[7 - i] = block[8 + i] ^ options_.keys.PayloadKey[7 - i];
        }
        out.push_back({AnswerKind::Reply, EncodeDataReply(reply)});
        return true;
    }
    if (f.selA == kSelBlock && f.selB == kSelBlockWrite) {
        request = Request::WriteBlock;
        if (WriteRefused()) {
            ack(false);
            return true;
        }
        std::array<std::uint8_t, kBlockSize> block;
        for (int i = 0; i < 8; ++i) {
            block[i] = f.data[8 + i] ^ options_.keys.PayloadKey[8 + i];
            block[8 + i] = f.data[7 - i] ^ options_.keys.PayloadKey[7 - i];
        }
        memory_.WriteBlock(offset, block);
        ack(true);
        return true;
    }
    if (f.selA != kSelService) return false;
    if (f.selB == kSelBootStart) {
        request = Request::BootloaderStart;
        if (!KeyValid(f)) {
            ack(false);
            return true;
        }
        bootloader_ = true;
        if (options_.directBootAck) {
            out.push_back({AnswerKind::Reply, LongAck(kOpCommand, kAckDirect)});
            return true;
        }
        ack(true);
        if (!options_.faults.noConfirmation) {
            Fields confirm;
            confirm.data[1] = confirm.data[2] = confirm.data[3] = kBootFill;
            std::copy(options_.keys.ServiceKey.begin(), options_.keys.ServiceKey.end(),
                      confirm.data.begin() + 8);
            confirm.selA = kSelService;
            confirm.selB = kSelBootStart;
            out.push_back({AnswerKind::Confirmation, EncodeDataReply(confirm)});
        }
        return true;
    }
    if (f.selB == kSelBootEnd) {
        request = Request::BootloaderEnd;
        const bool ok = KeyValid(f);
        if (ok) bootloader_ = false;
        ack(ok);
        return true;
    }
    if (f.selB == kSelDisplay) {
        request = Request::Display;
        if (f.selC == kDisplayClear) {
            display_.clear();
        } else if (f.selC == kDisplayCursor) {
            cursorA_ = f.data[0] | (f.data[1] << 8);
            cursorB_ = f.data[2];
        } else if (f.selC == kDisplayText) {
            display_.clear();
            for (int i = 0; i < kDisplayChars && f.data[i] != 0; ++i)
                display_ += static_cast<char>(f.data[i]);
        } else {
            return false;
        }
        ack(true);
        return true;
    }
    return false;
}

bool CommandStation::FsRequest(const FsFrame& f, Request& request, std::vector<Answer>& out) {
    if (f.address != kFsModuleAddress) return false;
    argument_ = f.field1;
    const std::uint8_t op = f.raw[0];
    const std::uint8_t kind = f.raw[5];
    if (op == kOpCommand && kind == kFsPos5Other && f.last == kFsLastOn) {
        request = Request::FsProgOn;
        fsProgramming_ = true;
        out.push_back({AnswerKind::Reply, EncodeFsReply(f, 0, memory_.fsKey)});
        return true;
    }
    if (op == kOpCommand && kind == kFsPos5Other && f.last == kFsLastRead) {
        request = Request::FsReadEntry;
        // Outside programming mode, or for an entry that does not exist, the module keeps quiet.
        if (fsProgramming_ && StationMemory::FsEntryExists(f.field1))
            out.push_back(
                {AnswerKind::Reply, EncodeFsReply(f, f.field1, memory_.FsEntry(f.field1))});
        return true;
    }
    if (op == kOpCommand && kind == kFsPos5Write) {
        request = Request::FsWriteEntry;
        const bool ok = !WriteRefused() && fsProgramming_ && StationMemory::FsEntryExists(f.field1);
        if (ok) memory_.SetFsEntry(f.field1, f.field2);
        out.push_back({AnswerKind::Reply, LongAck(kOpCommand, ok ? kAckAccepted : kAckRefused)});
        return true;
    }
    if (op == kOpFsOff && kind == kFsPos5Other && f.last == kFsLastOff) {
        request = Request::FsProgOff;
        // The program takes the echo of this frame as its answer; the module sends nothing.
        if (f.field2 == memory_.fsKey) fsProgramming_ = false;
        return true;
    }
    return false;
}

}  // namespace cv2::station
