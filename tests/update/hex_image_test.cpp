#include "tests/update/temp_files.h"
#include "update/core/hex_image.h"

#include <gtest/gtest.h>

#include <vector>

namespace crvl::update::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Convert(const std::string& line) {
    std::uint8_t buffer[kMaxRecordSize];
    return Bytes(buffer, buffer + BuildRecord(line.data(), line.size(), buffer));
}

TEST(HexRecord, ConvertsDigitPairsAfterTheStartCharacter) {
    EXPECT_EQ(Convert(":0300300002337A1E\n"),
              (Bytes{0x3A, 0x03, 0x00, 0x30, 0x00, 0x02, 0x33, 0x7A, 0x1E}));
    EXPECT_EQ(Convert(":00000001FF\n"), (Bytes{0x3A, 0x00, 0x00, 0x00, 0x01, 0xFF}));
    EXPECT_EQ(Convert(":0300300002337a1e\n"), Convert(":0300300002337A1E\n"));
}

TEST(HexRecord, ShortAndOddLines) {
    EXPECT_EQ(Convert("\n"), Bytes{0x0A});
    EXPECT_EQ(Convert(":\n"), Bytes{0x3A});
    // The last line without a line feed still has its final pair.
    EXPECT_EQ(Convert(":00000001FF"), (Bytes{0x3A, 0x00, 0x00, 0x00, 0x01, 0xFF}));
    // An odd digit is paired with the line feed: '1' * 16 + (0x0A & 0x0F).
    EXPECT_EQ(Convert(":1\n"), (Bytes{0x3A, 0x1A}));
    // Other characters are not rejected; they convert by the same rule.
    EXPECT_EQ(Convert(":GZ\n"), (Bytes{0x3A, static_cast<std::uint8_t>(0x10 * 16 + 0x13)}));
}

TEST(HexImageFile, LongLineIsSentInTwoPieces) {
    TempDir dir;
    std::string line = ":";
    for (int i = 0; i < 199; ++i)
        line += "0123456789ABCDEF"[i % 16];
    ASSERT_EQ(line.size(), 200u);
    const auto records = ImageRecords(dir.Write("long.hex", line + "\n"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].size(), 64u);
    EXPECT_EQ(records[0][0], 0x3A);
    EXPECT_EQ(records[0][1], 0x01);
    EXPECT_EQ(records[1].size(), 37u);
    // The second piece's first character (line position 127) goes unchanged.
    EXPECT_EQ(records[1][0], static_cast<std::uint8_t>(line[127]));
}

TEST(HexImageFile, CrLfLineEndsGiveTheSameRecords) {
    TempDir dir;
    const auto lf = ImageRecords(dir.Write("lf.hex", MakeHexImage(20, "\n")));
    const auto crlf = ImageRecords(dir.Write("crlf.hex", MakeHexImage(20, "\r\n")));
    EXPECT_EQ(lf, crlf);
    ASSERT_EQ(lf.size(), 22u);
    EXPECT_EQ(lf.back(), (Bytes{0x3A, 0x00, 0x00, 0x00, 0x01, 0xFF}));
}

TEST(HexImageFile, ReopeningReadsFromTheStartAgain) {
    TempDir dir;
    const std::string path = dir.Write("fw.hex", MakeHexImage(5) + "\n");
    HexImage image;
    std::uint8_t buffer[kMaxRecordSize];
    std::vector<Bytes> passes[2];
    for (auto& pass : passes) {
        ASSERT_TRUE(image.Open(path));
        while (const std::size_t n = image.NextRecord(buffer))
            pass.emplace_back(buffer, buffer + n);
    }
    EXPECT_EQ(passes[0], passes[1]);
    // The trailing empty line is a record of its own: the line feed.
    EXPECT_EQ(passes[0].back(), Bytes{0x0A});
}

TEST(HexImageFile, LineEndAfterAFullPieceIsNoRecordOfItsOwn) {
    TempDir dir;
    // 126 characters before CR LF: the CR LF reads as one LF, which fills
    // the piece. 127 characters before the line end: the line end goes with
    // the piece.
    for (const std::size_t length : {126u, 127u}) {
        for (const char* end : {"\n", "\r\n"}) {
            std::string line = ":";
            while (line.size() < length)
                line += "0123456789ABCDEF"[line.size() % 16];
            const auto records =
                ImageRecords(dir.Write("edge.hex", line + end + ":00000001FF" + end));
            ASSERT_EQ(records.size(), 2u) << length << " " << (end[0] == '\r' ? "CRLF" : "LF");
            EXPECT_EQ(records[0], Convert(line + "\n"));
            EXPECT_EQ(records[0].size(), 1 + length / 2); // an odd digit pairs with the LF
            EXPECT_EQ(records[1], (Bytes{0x3A, 0x00, 0x00, 0x00, 0x01, 0xFF}));
        }
    }
}

TEST(HexImageFile, MissingFileAndRecordCount) {
    TempDir dir;
    HexImage image;
    EXPECT_FALSE(image.Open((dir.Path() / "none.hex").string()));
    std::uint8_t buffer[kMaxRecordSize];
    EXPECT_EQ(image.NextRecord(buffer), 0u);
    EXPECT_FALSE(HexImage::RecordCount((dir.Path() / "none.hex").string()).has_value());
    EXPECT_EQ(HexImage::RecordCount(dir.Write("a.hex", MakeHexImage(9, "\r\n"))), 11);
}

} // namespace
} // namespace crvl::update::test
