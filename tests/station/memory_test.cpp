// The backup image of the simulated content, and loading one.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>

#include "station/command_station.h"

namespace cv2::station::test {
namespace {

TEST(BackupImage, HasTheFileLayout) {
    CommandStation s;
    const auto& m = s.memory();
    const auto f = s.ExpectedBackup();
    ASSERT_EQ(f.size(), 574252u);
    auto same = [&](std::size_t at, std::span<const std::uint8_t> page, std::size_t n) {
        return std::equal(f.begin() + at, f.begin() + at + n, page.begin());
    };
    auto big = [&](std::size_t at, int n) {  // a big-endian long or word
        std::uint32_t v = 0;
        for (int k = 0; k < n; ++k) v = (v << 8) | f[at + k];
        return v;
    };
    EXPECT_EQ(big(0, 4), m.Serial());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(big(4 + 4 * i, 4), 5u) << i;
    // ID table: page 964 whole at 44, page 965 behind it.
    EXPECT_TRUE(same(44, m.SamPage(964), 256) && same(300, m.SamPage(965), 256));
    // Extra data: first 16 bytes of page 8180 first, page 8182's seven records last.
    EXPECT_TRUE(same(556, m.DataPage(8180), 16) && same(732, m.DataPage(8182), 112));
    // Locomotive page 7502 is unused: its first record as stored, then 0xFF.
    EXPECT_TRUE(same(924, m.DataPage(7502), 16));
    EXPECT_TRUE(std::all_of(f.begin() + 940, f.begin() + 1004, [](auto b) { return b == 0xFF; }));
    // Keyboard page 7168 is in use (tag 0xC3): all seven records.
    EXPECT_TRUE(same(40844, m.DataPage(7168), 112));
    // TALIX data, first page at 340,876.
    EXPECT_TRUE(same(340876, m.DataPage(6144), 512));
    // Routes skip every fourth block: the fourth record is offset 64 of page 6912.
    EXPECT_TRUE(same(471948 + 48, m.DataPage(6912).subspan(64), 16));
    // FS module: group 1 is empty, group 2 holds 300 and then the end mark throughout.
    for (int k = 0; k < 25; ++k) EXPECT_EQ(big(570302 + 2 * k, 2), 0u) << k;
    EXPECT_EQ(big(570352, 2), 300u);
    for (int k = 1; k < 25; ++k) EXPECT_EQ(big(570352 + 2 * k, 2), 8u) << k;
}

TEST(BackupImage, LoadsAnImageOfTheRightSizeOnly) {
    CommandStation source;
    auto image = source.ExpectedBackup();
    StationOptions other;
    other.seed = 99;
    other.identity = 3;
    CommandStation target(other);
    const auto before = target.ExpectedBackup();
    image.pop_back();
    EXPECT_FALSE(target.LoadBackup(image));
    EXPECT_EQ(target.ExpectedBackup(), before);
    image.push_back(source.ExpectedBackup().back());
    ASSERT_TRUE(target.LoadBackup(image));
    EXPECT_EQ(target.ExpectedBackup(), image);
    EXPECT_EQ(target.memory().IdentityBytes(), source.memory().IdentityBytes());
}

}  // namespace
}  // namespace cv2::station::test
