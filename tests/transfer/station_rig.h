// The program's link and device on a fake clock, wired to the simulated
// station through the fake serial port; a backup file in a temp folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/simulated_station.h"
#include "transfer/backup_file.h"

namespace cv2::testing {

using Bytes = std::vector<unsigned char>;

inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

// Text into a file, the folders on its way created.
inline void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteAll(path, Bytes(text.begin(), text.end()));
}

// Removed with its contents when the test ends.
struct TempDir {
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
    inline static std::atomic<int> counter{0};
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("cv2xfer-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
};

inline station::StationOptions InstantStation() {
    station::StationOptions options;
    options.speed.instant = true;
    return options;
}

struct CountingProgress : ByteProgress {
    void AddBytes(int n) override { bytes += n; }
    int bytes = 0;
};

struct StationRig : test::FakePlatform {
    explicit StationRig(station::StationOptions options = InstantStation())
        : sim(clock, serial, std::move(options)) {}
    // The port as the link set-up leaves it, for tests that start below the procedure.
    void OpenPort() {
        serial.SetPortOpen(true);
        serial.SetRThreshold(1);
    }
    // The backup file's bytes, once it has taken the place of the file at path.
    Bytes Written() {
        file.Commit();
        return ReadAll(path);
    }
    station::CommandStation& station() { return sim.station(); }
    station::StationMemory& memory() { return sim.memory(); }

    station::SimulatedStation sim;
    TempDir dir;
    CountingProgress progress;
    std::string path = dir.File("backup.CDF");
    BackupFile file{progress};
};

}  // namespace cv2::testing
