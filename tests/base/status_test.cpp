#include "base/status.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace crvl {
namespace {

TEST(Status, OkCarriesNoMessageAndAFailureItsSentence) {
    EXPECT_TRUE(Status::Ok().ok());
    EXPECT_EQ(Status::Ok().message(), "");
    const Status failed = Status::Error("The folder cannot be written.");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.message(), "The folder cannot be written.");
}

TEST(Result, HoldsAValueOrTheFailure) {
    Result<std::unique_ptr<int>> value = std::make_unique<int>(7);
    ASSERT_TRUE(value.ok());
    EXPECT_TRUE(value.status().ok());
    EXPECT_EQ(*std::move(value).value(), 7);

    const Result<std::string> failed = Status::Error("No end record.");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.message(), "No end record.");
    EXPECT_EQ(failed.status(), Status::Error("No end record."));
}

} // namespace
} // namespace crvl
