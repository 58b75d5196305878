// The settings file: what a run writes, what the next run reads back, and the
// silent fall-back to the defaults for anything else.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>

#include "settings/settings_location.h"

namespace cv2 {
namespace {

namespace fs = std::filesystem;

// Differs from the defaults in every field, so a fall-back shows.
Settings NonDefault() {
    return {ComPortSetting::Number(7), 9600, InterfaceKind::TandemoPort, "/tmp/old.CDF"};
}

TEST(SettingsText, ReadingRules) {
    using Port = ComPortSetting;
    // {text, read, port, baud rate, file name}; the defaults when not read.
    const std::tuple<std::string, bool, Port, long, std::string> cases[] = {
        {"\"4\"\r\n19200\r\n\"\"\r\n", true, Port::Text("4"), 19200, ""},  // quoted: text
        {"/dev/ttyUSB0\r\n16666\r\n\"\"\r\n", true, Port::Text("/dev/ttyUSB0"), 16666, ""},
        {"6,16666,\"\"", true, Port::Number(6), 16666, ""},
        {"  12 \n 9600\n\"\"\n", true, Port::Number(12), 9600, ""},
        // Anything that reads as a number is one, rounded to a whole one.
        {"+2.5\r\n1.152E5\r\n\"\"\r\n", true, Port::Number(2), 115200, ""},
        {"-.6,16666,\"\"", true, Port::Number(-1), 16666, ""},
        {"nan\r\n1e99\r\n\"\"\r\n", false, Port::Number(3), 115200, ""},
        {"4.0x,inf,\"\"", false, Port::Number(3), 115200, ""},
        // A quoted comma; the rest of an item is ignored.
        {"\"a,b\" x\r\n9600\r\n\"C:\\D\\x.CDF\"\r\n", true, Port::Text("a,b"), 9600,
         "C:\\D\\x.CDF"},
        // A rate no interface allows reads as the default one; the rest is kept.
        {"5\r\n0\r\n\"\"\r\n", true, Port::Number(5), 115200, ""},
        {"5\r\n-19200\r\n\"\"\r\n", true, Port::Number(5), 115200, ""},
        {"5\r\n12345\r\n\"\"\r\n", true, Port::Number(5), 115200, ""},
        {"5\r\n57600\r\n\"\"\r\n", true, Port::Number(5), 115200, ""},
        {"5\r\n999999999999999\r\n\"\"\r\n", true, Port::Number(5), 115200, ""},
        {"\"COM9\"\r\n9600\r\n", false, Port::Number(3), 115200, ""},  // two lines
        {"", false, Port::Number(3), 115200, ""},
        {"4\r\nschnell\r\n\"\"\r\n", false, Port::Number(3), 115200, ""},
    };
    for (const auto& [text, read, port, baud, file] : cases) {
        SCOPED_TRACE(text);
        Settings s = NonDefault();
        EXPECT_EQ(ParseSettingsText(text, true, s).read, read);
        EXPECT_EQ(s.ComPort, port);
        EXPECT_EQ(s.BaudRate, baud);
        EXPECT_EQ(s.Interface, InterfaceKind::UsbInterface);
        EXPECT_EQ(s.BackupFileName, file);
    }
    // Whole numbers written with a fraction are read as numbers and written back bare.
    Settings s;
    EXPECT_TRUE(ParseSettingsText("4.0\r\n19200.0\r\n\"\"\r\n", true, s));
    EXPECT_EQ(FormatSettingsText(s), "4\r\n19200\r\n\"\"\r\n");
}

// A control character in the port would cut the name (a NUL: "/dev/tty", the
// terminal) or reach the device: the port is refused, saying why, and the
// default port is used; baud rate and file name are still read.
TEST(SettingsText, APortNameWithAControlCharacterIsRefused) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"\"/dev/tty\0USB0\"\r\n19200\r\n\"\"\r\n"s,
         "/dev/tty\\x00USB0“ enthält ein Steuerzeichen (\\x00)"},
        {"/dev/tty\x1b[2JUSB0\r\n19200\r\n\"\"\r\n"s,
         "/dev/tty\\x1B[2JUSB0“ enthält ein Steuerzeichen (\\x1B)"},
        {"\"COM\t4\x7f\"\r\n19200\r\n\"\"\r\n"s,
         "COM\\x094\\x7F“ enthält ein Steuerzeichen (\\x09)"},
    };
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(shown);
        Settings s = NonDefault();
        const SettingsLoad load = ParseSettingsText(text, true, s);
        EXPECT_TRUE(load.read);
        EXPECT_EQ(load.refused, "Der Schnittstellenname „" + shown +
                                    "; so heißt keine Schnittstelle, er wird nicht verwendet. "
                                    "Es gilt der COM-Port 3.");
        EXPECT_EQ(s.ComPort, ComPortSetting::Number(3));
        EXPECT_EQ(s.BaudRate, 19200);
    }
    Settings s;
    EXPECT_EQ(ParseSettingsText("\"/dev/ttyUSB0\"\r\n19200\r\n\"\"\r\n", true, s).refused, "");
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_);
        path_ = (dir_ / kSettingsFileName).string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

    fs::path dir_ =
        fs::temp_directory_path() / ("cv2_settings_" + std::to_string(std::random_device{}()));
    std::string path_;
};

TEST_F(SettingsFileTest, RoundTripKeepsTypedPortTexts) {
    Write(std::string(5000, 'x'));  // a longer file is emptied first
    for (const ComPortSetting& port : {ComPortSetting::Number(5), ComPortSetting::Text("COM4"),
                                       ComPortSetting::Text("/dev/ttyUSB0")}) {
        ASSERT_TRUE(SaveSettings(path_, {port, 16666, InterfaceKind::TandemoPort, "/x.CDF"}));
        Settings in = NonDefault();
        EXPECT_TRUE(LoadSettings(path_, in));
        EXPECT_EQ(in.ComPort, port);
        EXPECT_EQ(in.BaudRate, 16666);
        EXPECT_EQ(in.Interface,
                  InterfaceKind::UsbInterface);  // every run starts with the USB interface
        EXPECT_EQ(in.BackupFileName, "");
    }
    std::ifstream file(path_, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(bytes, "\"/dev/ttyUSB0\"\r\n16666\r\n\"\"\r\n");
}

TEST_F(SettingsFileTest, MissingUnreadableBinaryHugeOrSpecialFilesGiveDefaults) {
    const std::string binary("\x00\xFF\r\n\x80,\"\x01\n", 9);
    // Missing, a folder where the file should be, binary, one item of megabytes.
    for (const std::string& bytes :
         {std::string(), std::string("/"), binary, std::string(5 << 20, '7')}) {
        fs::remove_all(path_);
        if (bytes == "/") fs::create_directories(path_);
        if (bytes.size() > 1) Write(bytes);
        Settings s = NonDefault();
        EXPECT_FALSE(LoadSettings(path_, s)) << bytes.size();
        EXPECT_EQ(s.ComPort, ComPortSetting::Number(3));
        EXPECT_EQ(s.BaudRate, 115200);
    }
#ifndef _WIN32
    // A FIFO under the name would block the start and the end of the program:
    // it counts as missing and is left alone.
    fs::remove_all(path_);
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    Settings fifo = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, fifo));
    EXPECT_EQ(fifo.BaudRate, 115200);
    EXPECT_FALSE(SaveSettings(path_, fifo));
#endif
    fs::remove_all(path_);
    // Three good lines followed by megabytes: the lines count, the rest is never read.
    Write("8\r\n9600\r\n\"\"\r\n" + std::string(5 << 20, 'z'));
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Number(8));
    // The NUL of a port name is read from the file, not taken for its end.
    using namespace std::string_literals;
    Write("\"/dev/tty\0USB0\"\r\n9600\r\n\"\"\r\n"s);
    const SettingsLoad load = LoadSettings(path_, s);
    EXPECT_TRUE(load.read);
    EXPECT_NE(load.refused.find("/dev/tty\\x00USB0"), std::string::npos) << load.refused;
    EXPECT_EQ(s.ComPort, ComPortSetting::Number(3));
    EXPECT_EQ(s.BaudRate, 9600);
}

TEST(SettingsFolder, BesideTheProgramElseInTheUsersConfigFolder) {
    // Compared as paths, from a root that is absolute here: Windows wants a drive
    // letter and joins with its own separator.
    using P = fs::path;
    const std::string h = P("/h").is_absolute() ? "/h" : "C:/h";
    EXPECT_EQ(P(SettingsFolder("/opt/cv2", true, ConfigFolder(h + "/.cfg", h))), P("/opt/cv2"));
    EXPECT_EQ(P(SettingsFolder("/usr/bin", false, ConfigFolder(h + "/.cfg", h))),
              P(h + "/.cfg/cv2sicherung"));
    EXPECT_EQ(P(ConfigFolder("", h)), P(h + "/.config/cv2sicherung"));
    EXPECT_EQ(P(ConfigFolder("rel", h)), P(h + "/.config/cv2sicherung"));
    EXPECT_EQ(SettingsFolder("/usr/bin", false, ConfigFolder("", "")), "/usr/bin");
}

// A program folder the process may write keeps the settings file, and asking
// the folder leaves nothing behind in it.
TEST(SettingsFilePath, BesideAWritableProgramWithoutATrace) {
    const fs::path dir = fs::temp_directory_path() /
                         ("cv2-settings-place-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    EXPECT_EQ(fs::path(SettingsFilePath(dir.string())), dir / kSettingsFileName);
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace cv2
