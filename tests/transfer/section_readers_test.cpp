// The section readers against the simulated station: which pages and blocks
// end up in the file in which order, the group tag decision, the version check,
// and the step codes a failing command leaves.
#include "transfer/section_readers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using Bytes = std::vector<unsigned char>;
using station::Request;

class SectionReadersTest : public ::testing::Test, protected testing::StationRig {
protected:
    SectionReadersTest() {
        serial.SetPortOpen(true);
        serial.SetRThreshold(1);
        EXPECT_TRUE(file.Open(path, BackupFile::Mode::ReadWrite));
    }
    Bytes Written() {
        file.Close();
        return testing::ReadAll(path);
    }
    Bytes PageBytes(int page, int offset, int length) {
        auto p = memory().DataPage(page);
        return Bytes(p.begin() + offset, p.begin() + offset + length);
    }

    testing::TempDir dir;
    std::string path = dir.File("sections.CDF");
    testing::NoProgress progress;
    BackupFile file{progress};
    StatusCode Status = -1;
};

TEST_F(SectionReadersTest, AGroupPageWithItsTagInTheUpperSixBitsIsReadWhole) {
    memory().DataPage(7168)[3] = 0xC3;
    ReadGroupSection(device, file, 7168, 1, 7, 0xC0, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Count(Request::ReadBlock), 7);
    EXPECT_EQ(Written(), PageBytes(7168, 0, 7 * 16));
}

TEST_F(SectionReadersTest, AnUnusedGroupPageCostsOneBlockAndIsFilledWithEmptyRecords) {
    memory().DataPage(7501)[3] = 0xFF;
    ReadGroupSection(device, file, 7501, 1, 5, 0x00, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Count(Request::ReadBlock), 1);
    Bytes expected = PageBytes(7501, 0, 16);
    expected.resize(5 * 16, 0xFF);
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, TheTagDecisionIsTakenForEachPage) {
    memory().DataPage(7296)[3] = 0x8B;  // booster page in use
    memory().DataPage(7297)[3] = 0xC0;  // another group's tag: unused here
    ReadGroupSection(device, file, 7296, 2, 9, 0x88, Status);
    EXPECT_EQ(Count(Request::DataFlashRead), 2);
    EXPECT_EQ(Count(Request::ReadBlock), 9 + 1);
    Bytes expected = PageBytes(7296, 0, 9 * 16);
    const Bytes second = PageBytes(7297, 0, 16);
    expected.insert(expected.end(), second.begin(), second.end());
    expected.resize(18 * 16, 0xFF);
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, PagesAreCopiedWholeInAscendingOrder) {
    ReadPageSection(device, file, 6400, 2, 32, Status);
    EXPECT_EQ(Status, 0);
    Bytes expected = PageBytes(6400, 0, 512);
    const Bytes second = PageBytes(6401, 0, 512);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, RoutesSkipEveryFourthBlock) {
    ReadRouteSection(device, file, 6912, 1, 8, 4, 3, Status);
    EXPECT_EQ(Status, 0);
    Bytes expected;
    for (int offset = 0; offset < 512; offset += 16) {
        if (offset % 64 == 48) continue;
        const Bytes block = PageBytes(6912, offset, 16);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, AFailingBlockInTheRoutesKeepsTheRecordsBeforeIt) {
    // DataFlashRead, ReadBlock(0), ReadBlock(16) are answered; ReadBlock(32) is not.
    sim.station().options().faults.silentAfterRequests = sim.station().requests() + 3;
    ReadRouteSection(device, file, 6912, 256, 8, 4, 3, Status);
    EXPECT_EQ(Status, 230000 + 13);
    EXPECT_EQ(Written(), PageBytes(6912, 0, 32));
}

TEST_F(SectionReadersTest, ExtraDataIsTheFirstBlockOfElevenPagesThenSevenOfPage8182) {
    ReadExtraData(device, file, Status);
    EXPECT_EQ(Status, 0);
    Bytes expected;
    for (int page = 8180; page <= 8191; ++page) {
        if (page == 8182) continue;
        const Bytes block = PageBytes(page, 0, 16);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    const Bytes tail = PageBytes(8182, 0, 7 * 16);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, TheIdTableIsSamPages964And965) {
    ReadIdTable(device, file, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Count(Request::SamFlashRead), 2);
    Bytes expected;
    for (int page : {964, 965}) {
        auto p = memory().SamPage(page);
        expected.insert(expected.end(), p.begin(), p.begin() + 256);
    }
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, ValidVersionWordsAreAppendedAsLongsInBackupMode) {
    CheckDatabaseVersion(device, file, 1, Status);
    EXPECT_EQ(Status, 0);
    Bytes expected;
    for (int i = 0; i < 10; ++i) expected.insert(expected.end(), {0, 0, 0, 5});
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, TheCheckOnlyModeWritesNothing) {
    CheckDatabaseVersion(device, file, 0, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_TRUE(Written().empty());
}

TEST_F(SectionReadersTest, EachVersionWordCountsOnItsOwn) {
    // Words in the low and high half of a block, and in the first block read.
    for (int word : {0, 1, 2, 5, 9}) {
        testing::StationRig rig;
        rig.serial.SetPortOpen(true);
        rig.serial.SetRThreshold(1);
        rig.memory().SetVersionWord(word, 6);
        CheckDatabaseVersion(rig.device, file, 1, Status);
        EXPECT_EQ(Status, 10099) << word;
    }
    memory().SetVersionWord(3, 0x05000000);  // 5 in the wrong byte order
    CheckDatabaseVersion(device, file, 1, Status);
    EXPECT_EQ(Status, 10099);
    EXPECT_TRUE(Written().empty());
}

// A page the station cannot load: each reader adds its own step to the code.
TEST_F(SectionReadersTest, AFailingPageLoadCarriesTheReadersStep) {
    struct Case {
        const char* name;
        std::function<void(StatusCode&)> read;
        StatusCode expected;
    };
    const std::vector<Case> cases = {
        {"group", [&](StatusCode& s) { ReadGroupSection(device, file, 5000, 1, 5, 0, s); }, 211311},
        {"page", [&](StatusCode& s) { ReadPageSection(device, file, 5000, 1, 32, s); }, 251311},
        {"route", [&](StatusCode& s) { ReadRouteSection(device, file, 5000, 1, 8, 4, 3, s); },
         231311},
    };
    for (const Case& c : cases) {
        StatusCode s = 0;
        c.read(s);
        EXPECT_EQ(s, c.expected) << c.name;
    }
    EXPECT_TRUE(Written().empty());
}

TEST_F(SectionReadersTest, ARefusedKeyFailsIdTableExtraDataAndVersionCheckWithTheirCodes) {
    sim.station().options().serviceKey[0] ^= 0x01;
    ReadIdTable(device, file, Status);
    EXPECT_EQ(Status, 271211);
    ReadExtraData(device, file, Status);
    EXPECT_EQ(Status, 1311);
    CheckDatabaseVersion(device, file, 1, Status);
    EXPECT_EQ(Status, 11311);
}

TEST_F(SectionReadersTest, AFullDiskStopsAReaderWithoutAStatus) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BackupFile full(progress);
    ASSERT_TRUE(full.Open("/dev/full", BackupFile::Mode::ReadWrite));
    ReadPageSection(device, full, 6144, 256, 32, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_TRUE(full.failed());
    EXPECT_LT(Count(Request::DataFlashRead), 256);
}

}  // namespace
}  // namespace cv2
