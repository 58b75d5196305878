// UTF-8 texts turned into the display's single-byte code page.
#include "device/latin1_text.h"

#include <gtest/gtest.h>

namespace cv2::test {
namespace {

TEST(Utf8ToLatin1, CharactersUpToFFKeepTheirCode) {
    EXPECT_EQ(Utf8ToLatin1("Datenbank schreiben"), "Datenbank schreiben");
    EXPECT_EQ(Utf8ToLatin1("\xC3\xA4\xC3\x9F\xC2\xA0\xC3\xBF"), "\xE4\xDF\xA0\xFF");
}

// Below, \x61 is 'a' and \x62 is 'b'.
TEST(Utf8ToLatin1, CharactersBeyondFFBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToLatin1("\x61\xE2\x82\xAC\x62"), "a?b");  // euro sign
    EXPECT_EQ(Utf8ToLatin1("\xF0\x9F\x9A\x82!"), "?!");      // four-byte character
    EXPECT_EQ(Utf8ToLatin1("\xC4\x80"), "?");                // U+0100, the first beyond
}

TEST(Utf8ToLatin1, MalformedSequencesBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf8ToLatin1("\x61\x80\x80\x62"), "a?b");  // stray continuation bytes
    EXPECT_EQ(Utf8ToLatin1("\x61\xC3"), "a?");           // cut off at the end
    EXPECT_EQ(Utf8ToLatin1("\xC3\x61"), "?a");           // lead without continuation
    EXPECT_EQ(Utf8ToLatin1("\xC1\x81"), "?");            // overlong form of 'A'
    EXPECT_EQ(Utf8ToLatin1("\xE0\x81\x81"), "?");        // the same in three bytes
    EXPECT_EQ(Utf8ToLatin1("\xFF\x61"), "?a");           // never a lead byte
}

}  // namespace
}  // namespace cv2::test
