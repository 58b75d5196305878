// The simulated station behind a LocoNet server on the program's fake TCP
// connection: each SEND line goes to the station, and every message it puts on
// the bus comes back as a RECEIVE line when its wire time has come, the echo
// of the request included, with SENT OK before or after that echo. One line in
// a test:   SimulatedTcpServer server(clock, socket, options);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/tcp_lines.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_tcp_socket.h"
#include "station/command_station.h"
#include "station/station_wire.h"

namespace cv2::station {

class SimulatedTcpServer {
public:
    SimulatedTcpServer(FakeClock& clock, FakeTcpSocket& socket, StationOptions options = {},
                       bool sentBeforeEcho = false)
        : clock_(clock),
          socket_(socket),
          station_(std::move(options)),
          wire_(station_, station_.options().speed),
          sentBeforeEcho_(sentBeforeEcho) {
        socket_.onWrite = [this](const std::string& text) { OnWrite(text); };
        socket_.InjectAt(clock_.Now(), "VERSION CV2 Testserver 1.0\r\n");
    }
    ~SimulatedTcpServer() { socket_.onWrite = nullptr; }
    SimulatedTcpServer(const SimulatedTcpServer&) = delete;
    SimulatedTcpServer& operator=(const SimulatedTcpServer&) = delete;

    CommandStation& station() { return station_; }
    std::vector<std::uint8_t> ExpectedBackup() const { return station_.ExpectedBackup(); }

private:
    void OnWrite(const std::string& text) {
        lines_.Feed(text, [this](const TcpLine& line) {
            if (line.kind != TcpLine::Kind::Send) return;
            const Bytes sent(line.bytes.begin(), line.bytes.end());
            bool confirmed = false;
            const double pcByte = ByteTimeFromSettings("115200,n,8,1");
            for (const Delivery& d : wire_.Write(clock_.Now(), sent, pcByte)) {
                cutter_.Feed(d.bytes, [&](std::span<const std::uint8_t> message) {
                    const bool echo = !confirmed && Bytes(message.begin(), message.end()) == sent;
                    std::string out = EncodeReceiveLine(message);
                    if (echo) out = sentBeforeEcho_ ? "SENT OK\r\n" + out : out + "SENT OK\r\n";
                    confirmed = confirmed || echo;
                    socket_.InjectAt(d.time, out);
                });
            }
            // A station that passes no echo: the server still confirms the SEND.
            if (!confirmed) socket_.InjectAt(clock_.Now(), "SENT OK\r\n");
        });
    }

    FakeClock& clock_;
    FakeTcpSocket& socket_;
    CommandStation station_;
    StationWire wire_;
    TcpLineDecoder lines_;
    MessageCutter cutter_;
    bool sentBeforeEcho_;
};

}  // namespace cv2::station
