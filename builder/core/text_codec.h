#pragma once

// Text encodings of the builder's files. Inside the program text is UTF-8;
// files are written and read in Windows-1252 ("Cp1252") unless the language
// file chooses UTF-8 or ISO-8859-1.

#include <optional>
#include <string>
#include <string_view>

namespace crvl {

enum class TextEncoding { Cp1252, Utf8, Latin1 };

// Recognises "Cp1252" / "windows-1252", "UTF-8" / "UTF8" and
// "ISO-8859-1" / "ISO8859_1" / "Latin1", ignoring case and surrounding blanks.
std::optional<TextEncoding> encodingFromName(std::string_view name);

// The encoding named by Parameters::ENCODING; Cp1252 for a name not known.
TextEncoding currentEncoding();

// File bytes to UTF-8. Cp1252 maps its five unassigned bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) to the control characters of the same value, so every
// byte survives a round trip. Invalid UTF-8 input decodes to U+FFFD.
std::string decodeText(std::string_view bytes, TextEncoding encoding);

// UTF-8 to file bytes. A character the encoding cannot hold becomes '?'.
std::string encodeText(std::string_view utf8, TextEncoding encoding);

// The characters of utf8 that encoding cannot hold, each once, in the order
// they first appear; empty when every character can be stored.
std::string unencodableCharacters(std::string_view utf8, TextEncoding encoding);

// The encoding's name as the user knows it: "Windows-1252", "UTF-8" or
// "ISO-8859-1 (Latin-1)".
std::string encodingDisplayName(TextEncoding encoding);

// Decodes one code point of UTF-8 at pos and advances pos; U+FFFD for a
// malformed sequence (pos then moves past one byte).
char32_t nextCodePoint(std::string_view utf8, std::size_t& pos);
// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);

} // namespace crvl
