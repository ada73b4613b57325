// The name under which a program's running copy listens, so that a second
// start brings the first one forward instead: one per program and user.
#pragma once

#include <string>

namespace crvl {

// "<program>-<user>", with "-<key>" added when CRVL_INSTANCE_KEY is set: a
// test run gets copies of its own and leaves the user's running ones alone.
std::string InstanceServerName(const std::string& program);

} // namespace crvl
