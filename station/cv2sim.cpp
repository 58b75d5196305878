// cv2sim: the simulated command station served on a pseudo-terminal, or as a
// LocoNet server over TCP, for a first run without hardware and for the
// end-to-end tests.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "device/key_file.h"
#include "station/backup_image.h"
#include "station/command_station.h"
#include "station/pty_server.h"
#include "station/sim_options.h"
#include "station/tcp_server.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The pseudo-terminal a link points to, or empty.
std::string LinkTarget(const std::string& link) {
    char target[4096];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Replaces a dangling link (one left by a simulator that was killed), never a
// real file, nor a link to a terminal that is still open: another simulator
// serves it, and the programs talking to it must not lose it.
bool MakeLink(const std::string& target, const std::string& link, std::string& error) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        if (stat(link.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
            error = link + " is served already (" + LinkTarget(link) +
                    "): stop that simulator or choose another --link";
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        error = link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// The content written as a backup file on exit, when asked; false when it cannot be.
bool Finish(const cv2::station::SimOptions& options, const cv2::station::CommandStation& station) {
    if (options.dump && !WriteFile(*options.dump, station.ExpectedBackup())) {
        std::cerr << "cv2sim: cannot write " << *options.dump << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace cv2::station;
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::cerr << "cv2sim: " << error << "\n\n" << SimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << SimUsage();
        return 0;
    }
    // The station answers to the keys the programs use, unless told others.
    const cv2::KeySource keys = cv2::LoadKeys(options.keys);
    if (!keys.ok()) {
        std::cerr << "cv2sim: " << keys.error << "\n";
        return 2;
    }
    options.station.keys = keys.keys;
    if (options.version) {
        std::cout << "cv2sim " << CV2_VERSION_MAJOR << '.' << CV2_VERSION_MINOR << '.'
                  << CV2_VERSION_PATCH << '\n'
                  << cv2::KeysInUse(keys) << '\n';
        return 0;
    }

    CommandStation station(options.station);
    if (options.load) {
        std::vector<std::uint8_t> image;
        if (!ReadFile(*options.load, image) || !station.LoadBackup(image)) {
            std::cerr << "cv2sim: " << *options.load << " is not a readable backup file of "
                      << kBackupSize << " bytes\n";
            return 1;
        }
    }

    // The stop signals stay blocked except while the server waits, so none is lost.
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int rc = 0;
    if (options.tcpPort) {
        if (options.link) {
            std::cerr << "cv2sim: --link names a pseudo-terminal; over TCP there is none\n";
            return 2;
        }
        const std::string version = "cv2sim " + std::to_string(CV2_VERSION_MAJOR) + '.' +
                                    std::to_string(CV2_VERSION_MINOR) + '.' +
                                    std::to_string(CV2_VERSION_PATCH);
        TcpServer server(station, options.station.speed, options.sentFirst, version);
        server.MarkEvery(options.markEvery);
        if (!server.Open(*options.tcpPort, error)) {
            std::cerr << "cv2sim: " << error << "\n";
            return 1;
        }
        std::cout << "tcp://127.0.0.1:" << server.port() << std::endl;
        std::cerr << "cv2sim: serial number " << station.memory().Serial()
                  << ", LocoNet over TCP on port " << server.port() << "\n";
        rc = server.Run(stopRequested, &waitMask, error);
        if (rc != 0) std::cerr << "cv2sim: " << error << "\n";
        return Finish(options, station) ? rc : 1;
    }
    PtyServer server(station, options.station.speed);
    server.MarkEvery(options.markEvery);
    if (!server.Open(error)) {
        std::cerr << "cv2sim: " << error << "\n";
        return 1;
    }
    if (options.link && !MakeLink(server.slavePath(), *options.link, error)) {
        std::cerr << "cv2sim: " << error << "\n";
        return 1;
    }
    std::cout << server.slavePath() << std::endl;
    std::cerr << "cv2sim: serial number " << station.memory().Serial() << ", serving on "
              << server.slavePath() << (options.link ? " (" + *options.link + ")" : "") << "\n";
    rc = server.Run(stopRequested, &waitMask, error);
    if (rc != 0) std::cerr << "cv2sim: " << error << "\n";
    // Only a link that is still ours: it may have been replaced meanwhile.
    if (options.link && LinkTarget(*options.link) == server.slavePath())
        unlink(options.link->c_str());
    return Finish(options, station) ? rc : 1;
}
