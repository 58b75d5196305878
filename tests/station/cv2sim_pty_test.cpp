// cv2sim on a real pseudo-terminal, driven by a plain POSIX client: short, in real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

namespace fs = std::filesystem;

// cv2sim sits at the top of the build tree, one folder above this test.
std::string SimPath() {
    if (const char* p = std::getenv("CV2SIM")) return p;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cv2sim").string();
}

struct Sim {
    explicit Sim(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            const std::string path = SimPath();
            std::vector<char*> argv{const_cast<char*>(path.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        // The first line is the port path.
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (poll(&p, 1, 3000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') port += c;
        close(out[0]);
    }
    ~Sim() {
        if (pid > 0 && !stopped) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // SIGTERM and the exit status.
    int Stop() {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        stopped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid = -1;
    bool stopped = false;
    std::string port;
};

int OpenRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B115200);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// Reads until count bytes have come or the time is up.
Bytes ReadFor(int fd, std::size_t count, int ms) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buf[256];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

const Bytes kReadBlock20 = Hex({0xED, 0x1F, 0x08, 0x5A, 0x52, 0x70, 0x00, 0x00, 0x00, 0x00, 0x70,
                                0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x2D});

TEST(Cv2simOnAPseudoTerminal, AnswersAFrameWithEchoAndReply) {
    const fs::path dir = fs::temp_directory_path() / ("cv2sim-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string link = (dir / "port").string();
    const std::string dump = (dir / "dump.CDF").string();
    Sim sim({"--link", link, "--dump", dump, "--speed", "wire"});
    ASSERT_FALSE(sim.port.empty());
    EXPECT_EQ(fs::read_symlink(link).string(), sim.port);

    const int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, kReadBlock20.data(), kReadBlock20.size()), 31);
    const Bytes got = ReadFor(fd, 62, 2000);
    ASSERT_EQ(got.size(), 62u);
    EXPECT_EQ(got.substr(0, 31), kReadBlock20);
    EXPECT_EQ(got.substr(31, 5), Hex({0xE5, 0x1F, 0x01, 0x50, 0x43}));
    EXPECT_TRUE(ChecksumValid(got.substr(31)));
    // The interface's text dialogue on the same line.
    ASSERT_EQ(write(fd, "xB19200\r", 8), 8);
    EXPECT_EQ(ReadFor(fd, 1, 2000), "]");
    close(fd);

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(fs::file_size(dump), 574252u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace cv2::station::test
