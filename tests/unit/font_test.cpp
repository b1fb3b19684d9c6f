// The font's character-to-cell lookup for every byte, and the table behind it.
#include "show/font.h"

#include <gtest/gtest.h>

#include <cstring>

// The cell of a byte, said the other way round from the table: letters of either case go to the capitals'
// cells of their own case set, the rest of the printable range to code - 32, everything else to 95.
static int expectedCell(int byte) {
    if (byte >= 'a' && byte <= 'z')
        return 33 + (byte - 'a');
    if (byte >= 'A' && byte <= 'Z')
        return 65 + (byte - 'A');
    if (byte >= 32 && byte <= 126)
        return byte - 32;
    return 95;
}

TEST(GlyphCell, EveryByteLandsInItsCell) {
    for (int byte = 0; byte < 256; byte++)
        EXPECT_EQ(glyphCell(static_cast<unsigned char>(byte)), expectedCell(byte)) << "byte " << byte;
}

TEST(GlyphCell, LandmarkCells) {
    EXPECT_EQ(glyphCell(' '), 0);
    EXPECT_EQ(glyphCell('0'), 16) << "first cell of row 1";
    EXPECT_EQ(glyphCell('@'), 32) << "first cell of row 2";
    EXPECT_EQ(glyphCell('a'), 33);
    EXPECT_EQ(glyphCell('A'), 65);
    EXPECT_EQ(glyphCell('z'), 58);
    EXPECT_EQ(glyphCell('Z'), 90);
    EXPECT_EQ(glyphCell('~'), 94) << "column 14 of row 5";
    EXPECT_EQ(glyphCell('&'), 6);
    EXPECT_EQ(glyphCell('\''), 7);
    EXPECT_EQ(glyphCell('\0'), 95);
    EXPECT_EQ(glyphCell(127), 95);
    EXPECT_EQ(glyphCell(0xC3), 95) << "a UTF-8 lead byte is not a character of the font";
    EXPECT_EQ(glyphCell(0xFF), 95);
}

TEST(GlyphCell, EveryPrintableByteHasACellOfItsOwnAndNoOtherByteHasOne) {
    bool taken[95] = {};
    for (int byte = 0; byte < 256; byte++) {
        const int cell = glyphCell(static_cast<unsigned char>(byte));
        if (byte < 32 || byte > 126) {
            EXPECT_EQ(cell, 95) << "byte " << byte;
            continue;
        }
        ASSERT_LT(cell, 95) << "byte " << byte;
        EXPECT_FALSE(taken[cell]) << "byte " << byte << " shares cell " << cell;
        taken[cell] = true;
    }
}
