#include "base/instance_name.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace crvl {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(InstanceName, OnePerProgramAndUser) {
    ScopedEnv user("USER", "alice");
    ScopedEnv key("CRVL_INSTANCE_KEY", nullptr);
    EXPECT_EQ(InstanceServerName("crvlconfig"), "crvlconfig-alice");
    EXPECT_EQ(InstanceServerName("crvlupd"), "crvlupd-alice");
}

TEST(InstanceName, WindowsUserNameWhenUserIsUnset) {
    ScopedEnv user("USER", nullptr);
    ScopedEnv windowsUser("USERNAME", "bob");
    ScopedEnv key("CRVL_INSTANCE_KEY", nullptr);
    EXPECT_EQ(InstanceServerName("crvlconfig"), "crvlconfig-bob");
}

// A test's copies do not meet the user's own running copy.
TEST(InstanceName, KeySeparatesTestRuns) {
    ScopedEnv user("USER", "alice");
    ScopedEnv key("CRVL_INSTANCE_KEY", "e2e-42");
    EXPECT_EQ(InstanceServerName("crvlconfig"), "crvlconfig-alice-e2e-42");
}

} // namespace
} // namespace crvl
