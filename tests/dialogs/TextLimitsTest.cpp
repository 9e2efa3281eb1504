// Edit boxes never take more than their fields store: a byte limit on UTF-8
// text, cut at a character boundary, keeping the text behind the cursor.

#include "dialogs/TextLimits.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

const std::string E = "\xC3\xA9"; // é, two bytes

TEST(TextLimits, TextThatFitsIsLeftAlone) {
    bool keepAfter = false;
    EXPECT_EQ(FitEdit("abc", "def", {10, 0}, &keepAfter), "abc");
    EXPECT_TRUE(keepAfter);
    EXPECT_EQ(FitEdit(std::string(10, 'x'), "", {10, 0}, &keepAfter), std::string(10, 'x'));
}

TEST(TextLimits, TypingIntoAFullBoxChangesNothing) {
    bool keepAfter = false;
    // Nine bytes "é" x 4 + "a", one more é typed at the end: refused whole.
    const std::string full = E + E + E + E + "a";
    EXPECT_EQ(FitEdit(full + E, "", {10, 0}, &keepAfter), full);
    // The same typed in the middle keeps the text behind the cursor.
    EXPECT_EQ(FitEdit(E + E + E, E + E + "a", {10, 0}, &keepAfter), E + E);
    EXPECT_TRUE(keepAfter);
}

TEST(TextLimits, PastedAccentsAreCutAtACharacterBoundary) {
    bool keepAfter = false;
    // 5 bytes of room: "éé" fits, the third é would need a sixth byte.
    const std::string fitted = FitEdit("abcde" + E + E + E, "", {10, 0}, &keepAfter);
    EXPECT_EQ(fitted, "abcde" + E + E);
    EXPECT_EQ(fitted.size(), 9u);
    // 20-byte name box: ten é exactly, eleven cut to ten.
    std::string eleven;
    for (int i = 0; i < 11; ++i)
        eleven += E;
    EXPECT_EQ(FitText(eleven, limits::UserName).size(), 20u);
    EXPECT_EQ(FitText("x" + eleven, limits::UserName), "x" + eleven.substr(0, 18));
}

TEST(TextLimits, ThreeAndFourByteCharactersAreNeverSplit) {
    const std::string euro = "\xE2\x82\xAC";      // €
    const std::string smile = "\xF0\x9F\x98\x80"; // an emoji
    EXPECT_EQ(FitText(euro + euro + euro + euro, {10, 0}), euro + euro + euro);
    EXPECT_EQ(FitText(smile + smile + smile, {10, 0}), smile + smile);
    EXPECT_EQ(Utf8Length(euro + smile + "a"), 3u);
}

TEST(TextLimits, CommentBoxTakesThirtyCharactersWithinFortyBytes) {
    std::string ascii(35, 'c');
    EXPECT_EQ(FitText(ascii, limits::Comments), std::string(30, 'c'));
    std::string accents;
    for (int i = 0; i < 25; ++i)
        accents += E;
    // Twenty é are forty bytes, still under thirty characters.
    EXPECT_EQ(FitText(accents, limits::Comments).size(), 40u);
    bool keepAfter = false;
    EXPECT_EQ(FitEdit(std::string(29, 'c') + "xy", "", limits::Comments, &keepAfter), std::string(29, 'c') + "x");
}

TEST(TextLimits, TextBehindTheCursorOverTheLimitIsCutToo) {
    bool keepAfter = true;
    const std::string fitted = FitEdit("ab", std::string(12, 'z'), {10, 0}, &keepAfter);
    EXPECT_FALSE(keepAfter);
    EXPECT_EQ(fitted, "ab" + std::string(8, 'z'));
}

TEST(TextLimits, MessageBodyTakes255Bytes) {
    EXPECT_EQ(FitText(std::string(300, 'm'), limits::MessageText).size(), 255u);
    std::string accents;
    for (int i = 0; i < 200; ++i)
        accents += E;
    EXPECT_EQ(FitText(accents, limits::MessageText).size(), 254u);
    EXPECT_EQ(FitText(std::string(31, 's'), limits::Subject).size(), 30u);
}

} // namespace
} // namespace qel
