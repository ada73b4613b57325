#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/layering/layer_rules.h"

namespace crvl::layering {
namespace {

const std::filesystem::path kSourceDir = CRVL_SOURCE_DIR;

std::vector<std::string> Check(const std::filesystem::path& root) {
    const Result<std::vector<Room>> rooms = ReadRooms(root / "docs" / "architecture.md");
    EXPECT_TRUE(rooms.ok()) << rooms.message();
    return rooms.ok() ? CheckIncludes(root, rooms.value()) : std::vector<std::string>{};
}

TEST(Layering, ProductCodeIncludesOnlyItsOwnRoomAndTheRoomsBelow) {
    const std::vector<std::string> found = Check(kSourceDir);
    std::string all;
    for (const std::string& line : found)
        all += line + "\n";
    EXPECT_TRUE(found.empty()) << all;
}

TEST(Layering, FixtureTreeShowsEachKindOfFault) {
    EXPECT_EQ(Check(kSourceDir / "tests" / "layering" / "fixture"),
              (std::vector<std::string>{
                  "high/window.h:3: \"store.h\" is not a path from the source root",
                  "loose/stray.cpp: lies in no room",
                  "low/store.cpp:2: low may not include high (high/window.h)",
                  "low/store.cpp:3: low knows nothing of Qt",
              }));
}

TEST(Layering, TableThatLetsRoomsIncludeEachOtherIsRefused) {
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "circle";
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "architecture.md");
        out << "## Rooms\n\n| Room | Holds | May include | Qt |\n|---|---|---|---|\n"
               "| `a/` | one | `b/` | no |\n| `b/` | two | `a/` | no |\n"
               "| `c/` | three | `d/` | no |\n";
    }
    const Result<std::vector<Room>> rooms = ReadRooms(dir / "architecture.md");
    ASSERT_FALSE(rooms.ok());
    EXPECT_EQ(rooms.message(), "c may include d, which is not a room");

    {
        std::ofstream out(dir / "architecture.md");
        out << "## Rooms\n\n| `a/` | one | `b/` | no |\n| `b/` | two | `a/` | no |\n";
    }
    EXPECT_EQ(ReadRooms(dir / "architecture.md").message(),
              "the rooms include each other in a circle through a");
}

} // namespace
} // namespace crvl::layering
