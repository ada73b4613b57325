#include "base/instance_name.h"

#include <cstdlib>

namespace crvl {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

std::string InstanceServerName(const std::string& program) {
    std::string user = Environment("USER");
    if (user.empty())
        user = Environment("USERNAME");
    std::string name = program + "-" + user;
    if (const std::string key = Environment("CRVL_INSTANCE_KEY"); !key.empty())
        name += "-" + key;
    return name;
}

} // namespace crvl
