// The text codecs: Windows-1252 byte for byte, UTF-8 and ISO-8859-1.

#include "builder/core/builder_settings.h"
#include "builder/core/text_codec.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

TEST(Cp1252, EveryByteSurvivesDecodeAndEncode) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = decodeText(all, TextEncoding::Cp1252);
    EXPECT_EQ(encodeText(utf8, TextEncoding::Cp1252), all);
}

TEST(Cp1252, KnownCharacters) {
    // Degree sign, e acute, u umlaut, sharp s, euro sign, left double quote.
    EXPECT_EQ(decodeText("\xB0\xE9\xFC\xDF\x80\x93", TextEncoding::Cp1252),
              "\u00B0\u00E9\u00FC\u00DF\u20AC\u201C");
    EXPECT_EQ(encodeText("37 \u00B0C, caf\u00E9, 5 \u20AC", TextEncoding::Cp1252),
              "37 \xB0"
              "C, caf\xE9, 5 \x80");
}

TEST(Cp1252, UnassignedBytesDecodeToControlsOfTheSameValue) {
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const std::string utf8 =
            decodeText(std::string(1, static_cast<char>(b)), TextEncoding::Cp1252);
        std::string expected;
        appendUtf8(expected, b);
        EXPECT_EQ(utf8, expected) << int(b);
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(encodeText("\u03A9\u4E2D.", TextEncoding::Cp1252), "??.");
    // U+0080 is not the euro sign's code point: Windows-1252 has no byte for it.
    EXPECT_EQ(encodeText("\u0080", TextEncoding::Cp1252), "?");
}

TEST(Latin1, BytesAreCodePoints) {
    EXPECT_EQ(decodeText("\x80\xB0", TextEncoding::Latin1), "\u0080\u00B0");
    EXPECT_EQ(encodeText("\u0080\u00B0\u20AC", TextEncoding::Latin1), "\x80\xB0?");
}

TEST(Utf8, PassesThroughAndRepairsMalformedInput) {
    EXPECT_EQ(decodeText("\u00B0\u20AC", TextEncoding::Utf8), "\u00B0\u20AC");
    EXPECT_EQ(decodeText("a\xFF"
                         "b",
                         TextEncoding::Utf8),
              "a\uFFFD"
              "b");
    // Truncated sequence, overlong form, encoded surrogate.
    EXPECT_EQ(decodeText("\xE2\x82", TextEncoding::Utf8), "\uFFFD\uFFFD");
    EXPECT_EQ(decodeText("\xC0\xAF", TextEncoding::Utf8), "\uFFFD\uFFFD");
    EXPECT_EQ(decodeText("\xED\xA0\x80", TextEncoding::Utf8), "\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(encodeText("ok\xFF", TextEncoding::Utf8), "ok\uFFFD");
}

TEST(EncodingNames, KnownNamesIgnoreCaseAndBlanks) {
    EXPECT_EQ(encodingFromName("Cp1252"), TextEncoding::Cp1252);
    EXPECT_EQ(encodingFromName("windows-1252"), TextEncoding::Cp1252);
    EXPECT_EQ(encodingFromName("UTF-8"), TextEncoding::Utf8);
    EXPECT_EQ(encodingFromName("utf8 "), TextEncoding::Utf8);
    EXPECT_EQ(encodingFromName("ISO-8859-1"), TextEncoding::Latin1);
    EXPECT_EQ(encodingFromName("Latin1"), TextEncoding::Latin1);
    EXPECT_FALSE(encodingFromName("KOI8-R"));
    EXPECT_FALSE(encodingFromName(""));

    const std::string saved = Parameters::ENCODING;
    Parameters::ENCODING = "no such thing";
    EXPECT_EQ(currentEncoding(), TextEncoding::Cp1252);
    Parameters::ENCODING = "UTF-8";
    EXPECT_EQ(currentEncoding(), TextEncoding::Utf8);
    Parameters::ENCODING = saved;
}

} // namespace
} // namespace crvl
