// From the ComPort setting to the port to open and its COM number: every
// setting that stands for COM n opens this system's name for COM n.
#include "link/port_name.h"

#include <gtest/gtest.h>

#include "link/tcp_address.h"

namespace cv2 {
namespace {

TEST(PortName, DeviceNameAndComNumberOfEverySetting) {
#ifdef _WIN32
    EXPECT_EQ(ComPortDeviceName(2), "COM2");
#else
    EXPECT_EQ(ComPortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDeviceName(12), "/dev/ttyS11");
#endif
    EXPECT_EQ(PortDeviceName(ComPortSetting::Number(7)), ComPortDeviceName(7));
    EXPECT_EQ(ComPortNumber(ComPortSetting::Number(2)), 2);
    // {typed text, COM number}; 0: no COM port, the text is opened as it stands.
    const std::pair<const char*, long> names[] = {
        {" 12 ", 12},      {"COM4", 4},      {"com2", 2},
        {"/dev/ttyS1", 2}, {"ttyS0", 1},     {"/dev/ttyUSB0", 0},
        {"ttyACM1", 0},    {"COM", 0},       {"COM2x", 0},
        {"COM0", 0},       {"/dev/ttyS", 0}, {"2a", 0},
        {"/dev/pts/3", 0}, {"", 0}};
    for (const auto& [name, com] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ComPortNumber(ComPortSetting::Text(name)), com);
        EXPECT_EQ(PortDeviceName(ComPortSetting::Text(name)), com ? ComPortDeviceName(com) : name);
    }
}

// A port text beginning tcp:// names a server, or says why it does not.
TEST(PortName, TcpPortTextNamesTheServer) {
    const struct {
        const char* text;
        const char* server;   // as messages name it; empty: refused
        const char* problem;  // a part of the reason
    } rows[] = {
        {"tcp://localhost", "localhost:1234", ""},
        {" TCP://192.168.1.20:4711/ ", "192.168.1.20:4711", ""},
        {"tcp://[fd00::2]:1235", "[fd00::2]:1235", ""},
        {"tcp://[::1]", "[::1]:1234", ""},
        {"tcp://[::ffff:192.168.1.2]", "[::ffff:192.168.1.2]:1234", ""},
        {"tcp://anlage-pi ", "anlage-pi:1234", ""},
        {"tcp://", "", "fehlt der Rechner"},
        {"tcp://:1234", "", "fehlt der Rechner"},
        {"tcp://fd00::2", "", "eckige Klammern"},
        {"tcp://[fd00::2", "", "schließende Klammer"},
        {"tcp://[host]:1", "", "keine IPv6-Adresse"},
        {"tcp://pi:0", "", "keine TCP-Portnummer"},
        {"tcp://pi:65536", "", "keine TCP-Portnummer"},
        {"tcp://pi:", "", "keine TCP-Portnummer"},
        {"tcp://pi:12ab", "", "keine TCP-Portnummer"},
        {"tcp://p i", "", "kein Rechnername"},
        {"/dev/ttyUSB0", "", ""},
        {"ucp://anlage-pi", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto address = ReadTcpAddress(row.text);
        EXPECT_EQ(address ? address->ToText() : "", row.server);
        EXPECT_NE(TcpAddressProblem(row.text).find(row.problem), std::string::npos);
    }
}

}  // namespace
}  // namespace cv2
