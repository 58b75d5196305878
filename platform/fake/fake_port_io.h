// Port I/O that records every access and answers reads from a table.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/port_io.h"

namespace cv2 {

class FakePortIo : public PortIo {
public:
    struct Access {
        bool write;
        std::int16_t address, value;
        bool operator==(const Access&) const = default;
    };
    std::vector<Access> log;
    std::map<std::int16_t, std::int16_t> registers;
    // Every write leaves the driver refusing the rate it asked for.
    bool refuseRate = false;

    std::int16_t Inp32(std::int16_t address) override {
        std::int16_t v = registers.count(address) ? registers[address] : 0;
        log.push_back({false, address, v});
        return v;
    }
    void Out32(std::int16_t address, std::int16_t value) override {
        registers[address] = static_cast<std::int16_t>(value & 0xFF);
        log.push_back({true, address, static_cast<std::int16_t>(value & 0xFF)});
    }
    bool LastWriteTookEffect() const override { return !refuseRate; }
};

}  // namespace cv2
