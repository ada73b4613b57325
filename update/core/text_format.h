#pragma once

#include <string>

namespace crvl::update {

// printf-style formatting into a string, for the message texts.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace crvl::update
