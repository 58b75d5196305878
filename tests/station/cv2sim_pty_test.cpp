// cv2sim on a real pseudo-terminal, driven by a plain POSIX client: short, in real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

namespace fs = std::filesystem;

// Reads until count bytes have come or the line stays quiet for two seconds.
Bytes ReadFor(int fd, std::size_t count, char stopAt = 0) {
    Bytes got;
    pollfd p{fd, POLLIN, 0};
    char c[256];
    while (got.size() < count && poll(&p, 1, 2000) > 0) {
        const ssize_t n = read(fd, c, stopAt ? 1 : sizeof c);
        if (n <= 0 || (stopAt && c[0] == stopAt)) break;
        got.append(c, static_cast<std::size_t>(n));
    }
    return got;
}

TEST(Cv2simOnAPseudoTerminal, AnswersAFrameWithEchoAndReply) {
    const fs::path dir = fs::temp_directory_path() / ("cv2sim-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string link = (dir / "port").string(), dump = (dir / "dump.CDF").string();
    // cv2sim sits at the top of the build tree, one folder above this test.
    const std::string sim =
        (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cv2sim").string();
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        execl(sim.c_str(), sim.c_str(), "--link", link.c_str(), "--dump", dump.c_str(), "--speed",
              "wire", nullptr);
        _exit(127);
    }
    // Killed if the test stops early, so no simulator outlives it.
    struct Reap {
        pid_t pid;
        ~Reap() { pid > 0 && kill(pid, SIGKILL) == 0 && waitpid(pid, nullptr, 0) > 0; }
    } reap{pid};
    close(out[1]);
    const Bytes port = ReadFor(out[0], 256, '\n');  // the first line is the port path
    close(out[0]);
    ASSERT_FALSE(port.empty());
    EXPECT_EQ(fs::read_symlink(link).string(), port);

    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);  // cv2sim has made the line raw
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, kReadBlock20.data(), kReadBlock20.size()), 31);
    const Bytes got = ReadFor(fd, 62);
    ASSERT_EQ(got.size(), 62u);
    EXPECT_EQ(got.substr(0, 31), kReadBlock20);
    EXPECT_EQ(got.substr(31, 5), Hex({0xE5, 0x1F, 0x01, 0x50, 0x43}));
    EXPECT_TRUE(ChecksumValid(got.substr(31)));
    // The interface's text dialogue on the same line.
    ASSERT_EQ(write(fd, "xB19200\r", 8), 8);
    EXPECT_EQ(ReadFor(fd, 1), "]");
    close(fd);

    // SIGTERM ends it cleanly: link removed, dump written.
    kill(pid, SIGTERM);
    int status = -1;
    waitpid(pid, &status, 0);
    reap.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(fs::file_size(dump), 574252u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace cv2::station::test
