// The section readers against the simulated station: the group tag decision,
// the version check, and what a failing command leaves in the file and in the
// status. (The order of every section in the file is checked by the complete
// backup.)
#include "transfer/section_readers.h"

#include <gtest/gtest.h>

#include "tests/transfer/station_rig.h"

namespace cv2 {
namespace {

using station::Request;
using testing::Bytes;

// The section of the file layout with this key, cut to its first pages.
Section FirstPages(std::string_view key, std::int16_t pages) {
    for (Section s : kFileLayout) {
        if (s.key == key) {
            s.pageCount = pages;
            return s;
        }
    }
    return {};
}

class SectionReadersTest : public ::testing::Test, protected testing::StationRig {
protected:
    SectionReadersTest() {
        OpenPort();
        EXPECT_TRUE(file.Open(path));
    }
    Bytes PageBytes(int page, int length) {
        auto p = memory().DataPage(page);
        return Bytes(p.begin(), p.begin() + length);
    }
    StatusCode Status = -1;
};

TEST_F(SectionReadersTest, TheGroupTagIsTestedOnItsUpperSixBitsPageByPage) {
    memory().DataPage(7168)[3] = 0xC3;  // in use: all 7 records
    memory().DataPage(7169)[3] = 0xFF;  // unused: the first record, then 0xFF records
    ReadGroupSection(device, file, FirstPages("keyboard_groups", 2), Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(station().Count(Request::ReadBlock), 7 + 1);
    Bytes expected = PageBytes(7168, 7 * 16);
    const Bytes unused = PageBytes(7169, 16);
    expected.insert(expected.end(), unused.begin(), unused.end());
    expected.resize(14 * 16, 0xFF);
    EXPECT_EQ(Written(), expected);
}

TEST_F(SectionReadersTest, AFailingBlockInTheRoutesKeepsTheRecordsBeforeIt) {
    // DataFlashRead, ReadBlock(0) and ReadBlock(16) are answered; ReadBlock(32) is not.
    station().options().faults.silentAfterRequests = station().requests() + 3;
    ReadRouteSection(device, file, SectionOf(SectionKind::Route), Status);
    EXPECT_EQ(Status, 230000 + 13);
    EXPECT_EQ(Written(), PageBytes(6912, 32));
}

TEST_F(SectionReadersTest, EveryVersionWordMustBeFive) {
    CheckDatabaseVersion(device, file, VersionMode::Restore, Status);
    EXPECT_EQ(Status, 0);
    // A word at the start and end of each block read, and 5 in the wrong byte order.
    for (auto [word, value] :
         {std::pair{0, 6u}, {1, 6u}, {2, 6u}, {5, 6u}, {9, 6u}, {3, 0x05000000u}}) {
        memory().SetVersionWord(word, value);
        CheckDatabaseVersion(device, file, VersionMode::Backup, Status);
        EXPECT_EQ(Status, 10099) << word;
        memory().SetVersionWord(word, 5);
    }
    EXPECT_TRUE(Written().empty());
}

TEST_F(SectionReadersTest, AFailingCommandCarriesTheReadersStep) {
    station().options().keys.ServiceKey[0] ^= 0x01;  // every page load is refused
    ReadIdTable(device, file, Status);
    EXPECT_EQ(Status, 271211);
    ReadExtraData(device, file, Status);
    EXPECT_EQ(Status, 1311);
    CheckDatabaseVersion(device, file, VersionMode::Backup, Status);
    EXPECT_EQ(Status, 11311);
    ReadGroupSection(device, file, FirstPages("locomotives", 1), Status);
    EXPECT_EQ(Status, 211311);
    ReadPageSection(device, file, FirstPages("accessories", 1), Status);
    EXPECT_EQ(Status, 251311);
    ReadRouteSection(device, file, FirstPages("routes", 1), Status);
    EXPECT_EQ(Status, 231311);
    EXPECT_TRUE(Written().empty());
}

}  // namespace
}  // namespace cv2
