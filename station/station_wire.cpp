#include "station/station_wire.h"

#include <algorithm>
#include <sstream>

namespace cv2::station {

double ByteTimeFromSettings(const std::string& settings) {
    std::istringstream in(settings);
    std::string rate, parity, data, stop;
    if (!std::getline(in, rate, ',') || !std::getline(in, parity, ',') ||
        !std::getline(in, data, ',') || !std::getline(in, stop, ','))
        return kDefaultPcByteTime;
    try {
        const double bitsPerSecond = std::stod(rate);
        const int bits = 1 + std::stoi(data) + (parity == "n" || parity == "N" ? 0 : 1) +
                         static_cast<int>(std::stod(stop) + 0.5);
        if (bitsPerSecond <= 0) return kDefaultPcByteTime;
        return bits / bitsPerSecond;
    } catch (const std::exception&) {
        return kDefaultPcByteTime;
    }
}

double StationWire::Scaled(double seconds) const {
    if (speed_.instant) return 0;
    return speed_.factor > 0 ? seconds / speed_.factor : seconds;
}

void StationWire::Deliver(double lineStart, double lineEnd, const Bytes& bytes, double lnByte,
                          double pcByte, std::vector<Delivery>& out) {
    // The PC line passes each byte on as LocoNet delivers it, but cannot start
    // before the first byte is through nor carry faster than its own rate.
    const double n = static_cast<double>(bytes.size());
    const double firstIn = std::max(lineStart + lnByte, pcRxFree_);
    const double t = std::max(lineEnd + pcByte, firstIn + n * pcByte);
    pcRxFree_ = t;
    if (!speed_.byteByByte) {
        out.push_back({t, bytes});
        return;
    }
    // Byte i is through LocoNet (i + 1) byte times after the start and through
    // the PC line one of its byte times after that, or after the byte before it.
    double at = firstIn;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        at = std::max(lineStart + static_cast<double>(i + 1) * lnByte, at) + pcByte;
        out.push_back({i + 1 == bytes.size() ? t : at, Bytes(1, bytes[i])});
    }
}

std::vector<Delivery> StationWire::Write(double now, const Bytes& bytes, double pcByteTime) {
    const double pcByte = Scaled(pcByteTime);
    const double lnByte = Scaled(kLocoNetByteTime);
    std::vector<Delivery> out;
    for (char c : bytes) {
        const double arrived = std::max(now, pcTxFree_) + pcByte;
        pcTxFree_ = arrived;
        double lastEnd = arrived;  // end of the previous transmission on LocoNet
        for (const Answer& a : station_.Receive(static_cast<std::uint8_t>(c))) {
            const double length = lnByte * static_cast<double>(a.bytes.size());
            double start = 0;
            switch (a.kind) {
                case AnswerKind::Text: {
                    const double ready = arrived + Scaled(kTextTurnaround);
                    Deliver(ready, ready, a.bytes, 0, pcByte, out);
                    continue;
                }
                case AnswerKind::Echo:
                case AnswerKind::Noise:
                case AnswerKind::Foreign:
                    start = std::max(lastEnd + Scaled(a.gap), loconetFree_);
                    break;
                case AnswerKind::Reply:
                    start = std::max(lastEnd + Scaled(kStationTurnaround), loconetFree_) + a.late;
                    break;
                case AnswerKind::Confirmation:
                    start =
                        std::max({lastEnd + Scaled(kConfirmationDelay),
                                  (out.empty() ? lastEnd : out.back().time) + kConfirmationMinGap,
                                  loconetFree_});
                    break;
            }
            lastEnd = start + length;
            loconetFree_ = lastEnd;
            Deliver(start, lastEnd, a.bytes, lnByte, pcByte, out);
        }
    }
    return out;
}

}  // namespace cv2::station
