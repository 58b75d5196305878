// Pages through the transfer buffer, identity, seeded content and the backup image.
#include <gtest/gtest.h>

#include "station/backup_image.h"
#include "station/command_station.h"
#include "station/seeded_content.h"
#include "tests/station/station_test_util.h"

namespace cv2::station::test {
namespace {

const Bytes kAccepted = Hex({0xB4, 0x6D, 0x7F, 0x59});

std::uint32_t Long(const std::vector<std::uint8_t>& f, std::size_t at) {
    return (std::uint32_t{f[at]} << 24) | (f[at + 1] << 16) | (f[at + 2] << 8) | f[at + 3];
}
std::uint16_t Word(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>((f[at] << 8) | f[at + 1]);
}

TEST(TransferBuffer, BlocksMoveAtAnyByteOffset) {
    CommandStation s;
    std::array<std::uint8_t, 16> ff;
    ff.fill(0xFF);
    std::array<std::uint8_t, 16> zero{};
    ReplyTo(s, WriteBlock(0, zero));
    ReplyTo(s, WriteBlock(16, zero));
    ReplyTo(s, WriteBlock(32, zero));
    ReplyTo(s, WriteBlock(48, zero));
    // The writer's preset: all-0xFF blocks at offsets 0, 1, .., 32 cover bytes 0..47.
    for (int off = 0; off <= 32; ++off) ReplyTo(s, WriteBlock(off, ff));
    for (int i = 0; i < 48; ++i) EXPECT_EQ(s.memory().transfer()[i], 0xFF) << i;
    EXPECT_EQ(s.memory().transfer()[48], 0x00);
    const auto across = ReplyBlock(ReplyTo(s, ReadBlock(40)));
    EXPECT_EQ(across[7], 0xFF);
    EXPECT_EQ(across[8], 0x00);
}

TEST(SeededContent, SameSeedSameBytesOtherSeedOtherBytes) {
    StationOptions a, b;
    b.seed = 2;
    EXPECT_EQ(CommandStation(a).ExpectedBackup(), CommandStation(a).ExpectedBackup());
    EXPECT_NE(CommandStation(a).ExpectedBackup(), CommandStation(b).ExpectedBackup());
}

// The readers must meet every branch against the default content.
TEST(SeededContent, EveryReaderBranchOccurs) {
    for (std::uint32_t seed : {1u, 7u, 12345u}) {
        StationOptions o;
        o.seed = seed;
        CommandStation s(o);
        const auto& m = s.memory();
        struct Range {
            int first, count;
            std::uint8_t tag;
        };
        for (Range r : {Range{7501, 500, 0x00}, Range{7168, 64, 0xC0}, Range{7232, 64, 0xE0},
                        Range{7424, 64, 0xD0}, Range{7360, 64, 0xF0}, Range{7296, 64, 0x88}}) {
            bool used = false, lowBits = false, unused = false;
            for (int p = r.first; p < r.first + r.count; ++p) {
                const std::uint8_t tag = m.DataPage(p)[3];
                if ((tag & 0xFC) == r.tag) {
                    used = true;
                    lowBits |= (tag & 3) == 3;
                } else {
                    unused = true;
                }
            }
            EXPECT_TRUE(used && lowBits && unused) << "pages from " << r.first;
        }
        bool empty = false, ended = false, full = false, ffff = false, x8000 = false;
        for (int g = 0; g < 80; ++g) {
            const int p = 5 + 25 * g;
            if (m.FsEntry(p) == 0) {
                empty = true;
                continue;
            }
            bool sawEnd = false;
            for (int i = 0; i < 25; ++i) {
                const auto v = m.FsEntry(p + i);
                if (i > 0 && v == 8) sawEnd = true;
                if (!sawEnd && v == 0xFFFF) ffff = true;
                if (!sawEnd && v == 0x8000) x8000 = true;
            }
            (sawEnd ? ended : full) = true;
        }
        EXPECT_TRUE(empty && ended && full && ffff && x8000) << "seed " << seed;
        for (int i = 0; i < 10; ++i) EXPECT_EQ(m.VersionWord(i), 5u);
    }
}

TEST(BackupImage, HasTheFileLayout) {
    CommandStation s;
    const auto& m = s.memory();
    const auto f = s.ExpectedBackup();
    ASSERT_EQ(f.size(), 574252u);
    EXPECT_EQ(Long(f, 0), m.Serial());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Long(f, 4 + 4 * i), 5u);
    // ID table: page 964 whole at 44, page 965 behind it.
    EXPECT_TRUE(std::equal(f.begin() + 44, f.begin() + 300, m.SamPage(964).begin()));
    EXPECT_TRUE(std::equal(f.begin() + 300, f.begin() + 556, m.SamPage(965).begin()));
    // Extra data: first 16 bytes of page 8180 first, page 8182's seven records last.
    EXPECT_TRUE(std::equal(f.begin() + 556, f.begin() + 572, m.DataPage(8180).begin()));
    EXPECT_TRUE(std::equal(f.begin() + 732, f.begin() + 844, m.DataPage(8182).begin()));
    // Locomotive page 7502 is unused: its first record as stored, then 0xFF.
    const std::size_t loco = 844 + 80;
    EXPECT_TRUE(std::equal(f.begin() + loco, f.begin() + loco + 16, m.DataPage(7502).begin()));
    EXPECT_TRUE(std::all_of(f.begin() + loco + 16, f.begin() + loco + 80,
                            [](auto b) { return b == 0xFF; }));
    // Keyboard page 7168 is in use (tag 0xC3): all seven records.
    EXPECT_TRUE(std::equal(f.begin() + 40844, f.begin() + 40844 + 112, m.DataPage(7168).begin()));
    // TALIX data, first page at 340,876.
    EXPECT_TRUE(std::equal(f.begin() + 340876, f.begin() + 340876 + 512, m.DataPage(6144).begin()));
    // Routes skip every fourth block: the fourth record is offset 64 of page 6912.
    EXPECT_TRUE(std::equal(f.begin() + 471948 + 48, f.begin() + 471948 + 64,
                           m.DataPage(6912).begin() + 64));
    // FS module: group 1 is empty, group 2 holds 300 and then the end mark throughout.
    for (int k = 0; k < 25; ++k) EXPECT_EQ(Word(f, 570252 + 50 + 2 * k), 0) << k;
    EXPECT_EQ(Word(f, 570252 + 100), 300);
    for (int k = 1; k < 25; ++k) EXPECT_EQ(Word(f, 570252 + 100 + 2 * k), 8) << k;
}

TEST(BackupImage, LoadingAnImageGivesTheSameImageBack) {
    CommandStation source;
    const auto image = source.ExpectedBackup();
    StationOptions other;
    other.seed = 99;
    other.identity = 3;
    CommandStation target(other);
    ASSERT_TRUE(target.LoadBackup(image));
    EXPECT_EQ(target.ExpectedBackup(), image);
    EXPECT_EQ(target.memory().Serial(), source.memory().Serial());
    EXPECT_EQ(target.memory().IdentityBytes(), source.memory().IdentityBytes());
}

TEST(BackupImage, AnImageOfTheWrongSizeIsRefused) {
    CommandStation s;
    auto image = s.ExpectedBackup();
    const auto before = image;
    image.pop_back();
    EXPECT_FALSE(s.LoadBackup(image));
    EXPECT_EQ(s.ExpectedBackup(), before);
}

}  // namespace
}  // namespace cv2::station::test
