// The built cv2cli run as a user runs it, against cv2sim on a pseudo-terminal:
// both programs sit at the top of the build tree, one folder above the test.
// Both take their configuration (the key file) from the test folder's
// "config", never from the user running the tests.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/transfer/station_rig.h"

namespace cv2::testing {

inline std::string BuildTop() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path().string();
}

// A server started with the given words that says on its first line of
// output where it serves (cv2sim, a LocoNet server in front of it); stopped
// when it goes.
struct Server {
    Server(const TempDir& dir, std::vector<std::string> words) {
        int out[2];
        if (pipe(out) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
            std::vector<char*> argv;
            for (auto& w : words) argv.push_back(w.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') firstLine += c;
        close(out[0]);
    }
    ~Server() { Stop(); }
    void Stop() {
        if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
        pid = -1;
    }
    std::string firstLine;
    pid_t pid = -1;
};

// cv2sim serving a pseudo-terminal linked at port, or with --tcp among the
// options a LocoNet server whose port text is port.
struct Simulator : Server {
    Simulator(const TempDir& dir, const std::vector<std::string>& options)
        : Server(dir, Words(dir, options)) {
        port = IsTcp(options) ? firstLine : dir.File("port");
    }
    static bool IsTcp(const std::vector<std::string>& options) {
        return std::find(options.begin(), options.end(), "--tcp") != options.end();
    }
    static std::vector<std::string> Words(const TempDir& dir,
                                          const std::vector<std::string>& options) {
        std::vector<std::string> words = {BuildTop() + "/cv2sim", "--speed", "instant"};
        if (!IsTcp(options)) words.insert(words.end(), {"--link", dir.File("port")});
        words.insert(words.end(), options.begin(), options.end());
        return words;
    }
    std::string port;
};

struct CliRun {
    int code = -1;
    std::string out, err;
};

inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadAll(path);
    return {bytes.begin(), bytes.end()};
}

// Runs "cv2cli ARGS" (or another of the programs) through the shell with no
// terminal on stdin; `then` follows it in the same shell (with " &" first, a
// script that signals the running program).
inline CliRun RunCli(const TempDir& dir, const std::string& args, const std::string& then = "",
                     const std::string& program = "cv2cli") {
    const std::string command =
        "cd " + dir.path.string() + " && { XDG_CONFIG_HOME=\"$PWD/config\" " + BuildTop() + "/" +
        program + " " + args + " >stdout 2>stderr </dev/null" + then + "; }";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(dir.File("stdout")),
            ReadText(dir.File("stderr"))};
}

}  // namespace cv2::testing
