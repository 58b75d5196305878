// Serves a station as a LocoNet server on TCP, one client at a time: each SEND
// line the client writes goes onto the simulated bus, and every message the
// bus carries back (the echo of the client's own message included) is written
// to it as a RECEIVE line when the wire model says it is due, with SENT OK
// after the echo (or, told so, before it). A client that leaves is replaced by
// the next one; the station keeps its state.
#pragma once

#include <csignal>
#include <deque>
#include <string>

#include "link/tcp_lines.h"
#include "station/command_station.h"
#include "station/request_marks.h"
#include "station/station_wire.h"

namespace cv2::station {

class TcpServer {
public:
    TcpServer(CommandStation& station, Speed speed, bool sentFirst, std::string version)
        : station_(station),
          wire_(station, speed),
          sentFirst_(sentFirst),
          version_(std::move(version)) {}
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Listens on the port (0: a free one) of every local address; false with
    // the reason in error.
    bool Open(int port, std::string& error);
    int port() const { return port_; }
    // Prints the request count on stdout each time that many more requests came.
    void MarkEvery(int requests) { marks_.Every(requests); }

    // Serves until stop becomes non-zero (waitMask: the signal mask while
    // waiting). Returns 0, or 1 after an I/O failure (reason in error).
    int Run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask, std::string& error);

private:
    void Accept();
    void Drop();
    void Received(const std::string& text);
    // A message on the bus reaches the client; the echo it waits for brings SENT OK.
    void Pass(std::span<const std::uint8_t> message);

    CommandStation& station_;
    StationWire wire_;
    bool sentFirst_;
    std::string version_;
    int listen_ = -1;
    int client_ = -1;
    int port_ = 0;
    TcpLineDecoder lines_;
    MessageCutter cutter_;
    std::deque<Delivery> due_;
    std::deque<std::string> awaitingEcho_;  // messages sent whose echo has not come
    std::string sending_;                   // text the client has not taken yet
    RequestMarks marks_;
};

}  // namespace cv2::station
