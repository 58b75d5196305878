// The settings file: what a run writes, what the next run reads back, and the
// silent fall-back to the defaults for anything else.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace cv2 {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("cv2_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / kSettingsFileName).string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string Read() {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Settings that differ from the defaults in every field, so a fall-back shows.
    static Settings NonDefault() {
        Settings s;
        s.ComPort = ComPortSetting::Number(7);
        s.BaudRate = 9600;
        s.LocoNetIfFlag = false;
        s.UsbIfFlag = false;
        s.BackupFileName = "/tmp/old.CDF";
        return s;
    }
    static void ExpectDefaults(const Settings& s) {
        EXPECT_EQ(s.ComPort, ComPortSetting::Number(3));
        EXPECT_EQ(s.BaudRate, 115200);
        EXPECT_TRUE(s.LocoNetIfFlag);
        EXPECT_TRUE(s.UsbIfFlag);
        EXPECT_EQ(s.BackupFileName, "");
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(SettingsFileTest, WritesNumberPortBareAndFileNameAlwaysEmpty) {
    Settings s;
    s.ComPort = ComPortSetting::Number(3);
    s.BaudRate = 115200;
    s.BackupFileName = "/home/anna/lok.CDF";
    ASSERT_TRUE(SaveSettings(path_, s));
    EXPECT_EQ(Read(), "3\r\n115200\r\n\"\"\r\n");
}

TEST_F(SettingsFileTest, WritesTypedPortQuoted) {
    Settings s;
    s.ComPort = ComPortSetting::Text("4");
    s.BaudRate = 19200;
    ASSERT_TRUE(SaveSettings(path_, s));
    EXPECT_EQ(Read(), "\"4\"\r\n19200\r\n\"\"\r\n");
}

TEST_F(SettingsFileTest, SavingEmptiesALongerExistingFile) {
    Write(std::string(5000, 'x'));
    ASSERT_TRUE(SaveSettings(path_, Settings{}));
    EXPECT_EQ(Read(), "3\r\n115200\r\n\"\"\r\n");
}

TEST_F(SettingsFileTest, RoundTripKeepsWhetherThePortIsNumberOrText) {
    for (const ComPortSetting& port :
         {ComPortSetting::Number(5), ComPortSetting::Text("COM4"),
          ComPortSetting::Text("/dev/ttyUSB0"), ComPortSetting::Text("4")}) {
        Settings out;
        out.ComPort = port;
        out.BaudRate = 16666;
        ASSERT_TRUE(SaveSettings(path_, out));
        Settings in = NonDefault();
        EXPECT_TRUE(LoadSettings(path_, in));
        EXPECT_EQ(in.ComPort, port) << port.ToText();
        EXPECT_EQ(in.BaudRate, 16666);
        // Every run starts with the USB interface, whatever was used before.
        EXPECT_TRUE(in.LocoNetIfFlag);
        EXPECT_TRUE(in.UsbIfFlag);
        EXPECT_EQ(in.BackupFileName, "");
    }
}

TEST_F(SettingsFileTest, BaudRateNotOfferedByUsbInterfaceIsLoadedUnchanged) {
    Write("3\r\n19200\r\n\"\"\r\n");
    Settings s = NonDefault();
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.BaudRate, 19200);
    EXPECT_TRUE(s.UsbIfFlag);
}

TEST_F(SettingsFileTest, MissingFileGivesDefaults) {
    Settings s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, TwoLineFileReplacesWhatWasReadByDefaults) {
    Write("\"COM9\"\r\n9600\r\n");
    Settings s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, EmptyFileGivesDefaults) {
    Write("");
    Settings s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, CommasSeparateItemsLikeLineEnds) {
    Write("6,16666,\"\"");
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Number(6));
    EXPECT_EQ(s.BaudRate, 16666);
}

TEST_F(SettingsFileTest, BareLineFeedsAndBlanksAroundItemsAreAccepted) {
    Write("  12 \n 9600\n\"\"\n");
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Number(12));
    EXPECT_EQ(s.BaudRate, 9600);
}

TEST_F(SettingsFileTest, UnquotedTextPortIsKeptAsText) {
    Write("/dev/ttyUSB0\r\n115200\r\n\"\"\r\n");
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("/dev/ttyUSB0"));
}

TEST_F(SettingsFileTest, QuotedItemMayHoldCommasAndIgnoresTextAfterTheQuote) {
    Write("\"a,b\" junk\r\n115200\r\n\"C:\\Daten\\x.CDF\"\r\n");
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Text("a,b"));
    EXPECT_EQ(s.BackupFileName, "C:\\Daten\\x.CDF");
}

TEST_F(SettingsFileTest, BaudRateThatIsNoNumberGivesDefaults) {
    Write("4\r\nschnell\r\n\"\"\r\n");
    Settings s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, BinaryGarbageGivesDefaultsWithoutCrashing) {
    std::mt19937 rng(42);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(rng() & 0xff);
        // No line ends or commas: one long item at most, never three.
        for (char& c : bytes) {
            if (c == '\r' || c == '\n' || c == ',') c = '\0';
        }
        Write(bytes);
        Settings s = NonDefault();
        EXPECT_FALSE(LoadSettings(path_, s));
        ExpectDefaults(s);
    }
}

TEST_F(SettingsFileTest, SeveralMegabytesAreReadOnlyUpToTheCap) {
    // A valid start followed by megabytes: the items come from the start.
    Write("8\r\n9600\r\n\"\"\r\n" + std::string(5 * 1024 * 1024, 'z'));
    Settings s;
    EXPECT_TRUE(LoadSettings(path_, s));
    EXPECT_EQ(s.ComPort, ComPortSetting::Number(8));
    EXPECT_EQ(s.BaudRate, 9600);

    // One item of megabytes cannot be read to its end: defaults.
    Write(std::string(5 * 1024 * 1024, '7'));
    s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, DirectoryInsteadOfFileGivesDefaults) {
    fs::create_directories(path_);
    Settings s = NonDefault();
    EXPECT_FALSE(LoadSettings(path_, s));
    ExpectDefaults(s);
}

TEST_F(SettingsFileTest, SaveIntoMissingFolderReportsFailure) {
    EXPECT_FALSE(SaveSettings((dir_ / "nowhere" / kSettingsFileName).string(), Settings{}));
}

}  // namespace
}  // namespace cv2
