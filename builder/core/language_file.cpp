#include "builder/core/language_file.h"

namespace crvl {

namespace {

enum class TokenKind { End, LineEnd, Quoted, Word, Number };

struct Token {
    TokenKind kind = TokenKind::End;
    std::u32string text;
};

bool isLineEnd(char32_t c) {
    return c == U'\n' || c == U'\r';
}

// Splits decoded text into tokens. With lineEnds set, a line feed, a carriage
// return or both together come back as a LineEnd token instead of counting as
// white space.
class Tokenizer {
public:
    Tokenizer(std::u32string_view text, bool lineEnds) : text_(text), lineEnds_(lineEnds) {}

    Token next() {
        while (pos_ < text_.size()) {
            const char32_t c = text_[pos_];
            if (c > U' ') {
                break;
            }
            ++pos_;
            if (lineEnds_ && isLineEnd(c)) {
                if (c == U'\r' && pos_ < text_.size() && text_[pos_] == U'\n') {
                    ++pos_;
                }
                return {TokenKind::LineEnd, {}};
            }
        }
        if (pos_ >= text_.size()) {
            return {TokenKind::End, {}};
        }
        const char32_t c = text_[pos_];
        if (c == U'"') {
            ++pos_;
            return {TokenKind::Quoted, quoted()};
        }
        if ((c >= U'0' && c <= U'9') || c == U'-' || c == U'.') {
            return {TokenKind::Number, number()};
        }
        return {TokenKind::Word, word()};
    }

    // Consumes tokens up to and including the next line end.
    // Returns false when the text ended first.
    bool skipLine() {
        while (true) {
            const Token t = next();
            if (t.kind == TokenKind::End) {
                return false;
            }
            if (t.kind == TokenKind::LineEnd) {
                return true;
            }
        }
    }

private:
    std::u32string quoted() {
        std::u32string out;
        while (pos_ < text_.size()) {
            const char32_t c = text_[pos_];
            if (c == U'"') {
                ++pos_;
                break;
            }
            if (isLineEnd(c)) {
                break; // unterminated: the line end still ends the line
            }
            ++pos_;
            if (c != U'\\') {
                out += c;
            } else if (pos_ < text_.size()) {
                out += escape();
            }
        }
        return out;
    }

    char32_t escape() {
        const char32_t c = text_[pos_++];
        if (c >= U'0' && c <= U'7') {
            const int maxDigits = c <= U'3' ? 3 : 2;
            char32_t value = c - U'0';
            for (int digits = 1; digits < maxDigits && pos_ < text_.size(); ++digits) {
                const char32_t d = text_[pos_];
                if (d < U'0' || d > U'7') {
                    break;
                }
                value = value * 8 + (d - U'0');
                ++pos_;
            }
            return value;
        }
        switch (c) {
        case U'a':
            return 7;
        case U'b':
            return 8;
        case U'f':
            return 12;
        case U'n':
            return 10;
        case U'r':
            return 13;
        case U't':
            return 9;
        case U'v':
            return 11;
        default:
            return c;
        }
    }

    std::u32string number() {
        const std::size_t start = pos_++;
        while (pos_ < text_.size() &&
               ((text_[pos_] >= U'0' && text_[pos_] <= U'9') || text_[pos_] == U'.')) {
            ++pos_;
        }
        return std::u32string(text_.substr(start, pos_ - start));
    }

    std::u32string word() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= U' ' && text_[pos_] != U'"') {
            ++pos_;
        }
        return std::u32string(text_.substr(start, pos_ - start));
    }

    std::u32string_view text_;
    std::size_t pos_ = 0;
    bool lineEnds_;
};

std::string toUtf8(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        appendUtf8(out, c);
    }
    return out;
}

std::u32string toCodePoints(std::string_view utf8) {
    std::u32string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        out += nextCodePoint(utf8, pos);
    }
    return out;
}

} // namespace

std::string readEncodingName(std::string_view bytes, const std::string& current) {
    // Editors that save UTF-8 often put a byte order mark first; it would
    // otherwise glue itself to the word ENCODING.
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    // One character per byte: only the ASCII word ENCODING and the name matter.
    std::u32string text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        text += static_cast<char32_t>(static_cast<unsigned char>(b));
    }
    Tokenizer tokens(text, false);
    const Token first = tokens.next();
    if (first.kind != TokenKind::Word || first.text != U"ENCODING") {
        return current;
    }
    const Token name = tokens.next();
    if (name.kind == TokenKind::End) {
        return "Cp1252";
    }
    return toUtf8(name.text);
}

std::vector<std::pair<std::string, std::string>> readTextLines(std::string_view bytes,
                                                               TextEncoding encoding) {
    const std::u32string text = toCodePoints(decodeText(bytes, encoding));
    Tokenizer tokens(text, true);
    std::vector<std::pair<std::string, std::string>> lines;
    while (true) {
        const Token key = tokens.next();
        if (key.kind == TokenKind::End) {
            break;
        }
        if (key.kind == TokenKind::LineEnd) {
            continue;
        }
        if (key.kind == TokenKind::Quoted) {
            const Token value = tokens.next();
            if (value.kind == TokenKind::End) {
                break;
            }
            if (value.kind == TokenKind::LineEnd) {
                continue;
            }
            if (value.kind == TokenKind::Quoted) {
                lines.emplace_back(toUtf8(key.text), toUtf8(value.text));
            }
        }
        if (!tokens.skipLine()) {
            break;
        }
    }
    return lines;
}

} // namespace crvl
