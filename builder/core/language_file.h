#pragma once

// The two readings of the language file: the first finds the ENCODING line
// in the raw bytes, the second reads the "key" "text" lines decoded with that
// encoding. Both follow the same token rules; see docs/language-file.md.

#include "builder/core/text_codec.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crvl {

// The encoding the file names on its first line, or current when its first
// token is not the word ENCODING. ENCODING at the end of the file names
// "Cp1252".
std::string readEncodingName(std::string_view bytes, const std::string& current);

// The (key, text) pairs of the file in file order, texts in UTF-8. Lines that
// do not start with two quoted strings are left out.
std::vector<std::pair<std::string, std::string>> readTextLines(std::string_view bytes,
                                                               TextEncoding encoding);

} // namespace crvl
