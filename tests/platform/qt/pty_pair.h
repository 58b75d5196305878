// A pseudo-terminal pair for tests of the real serial port: the program opens
// the slave by name, the test plays the peer on the master.
#pragma once

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace cv2::test {

class PtyPair {
public:
    PtyPair() {
        // The slave stays open here too, so the master never sees a hang-up
        // while the program closes and reopens its side.
        char name[128] = {};
        if (::openpty(&master_, &keepSlave_, name, nullptr, nullptr) == 0) slaveName_ = name;
    }
    ~PtyPair() {
        if (keepSlave_ >= 0) ::close(keepSlave_);
        if (master_ >= 0) ::close(master_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && keepSlave_ >= 0; }
    const std::string& slaveName() const { return slaveName_; }

    void Write(const std::string& bytes) const {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }

    // Reads until count bytes have come or the time is up.
    std::string Read(std::size_t count, std::chrono::milliseconds limit) const {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            char buf[256];
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) continue;
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

private:
    int master_ = -1;
    int keepSlave_ = -1;
    std::string slaveName_;
};

}  // namespace cv2::test
