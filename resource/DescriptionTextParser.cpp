// Description text to record tree (docs/description-text.md).

#include "resource/DescriptionText.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "resource/CollectionItems.h"
#include "resource/DescriptionTextPaths.h"
#include "resource/DescriptionTextUtf8.h"
#include "resource/NamedFile.h"
#include "resource/ObjectStream.h"

#include <QString>

#include <cctype>
#include <fstream>
#include <iterator>

namespace orlenth {

namespace {

enum class Tok { Word, Number, String, Punct, Newline, End };

// A token's text is a view into the description; only the current token is kept, so that
// the parser's memory does not grow with the text (a text of blank lines costs nothing).
struct Token {
    Tok kind = Tok::End;
    std::string_view text; // word, number, punctuation; for strings the raw content
    int line = 1;
};

// One piece of a quoted text: characters (UTF-8), one raw byte, or one UTF-16 code unit.
struct Piece {
    enum Kind { Chars, Byte, Unit };
};

class Parser {
public:
    Parser(std::string_view text, const TParseOptions& options)
        : text_(text), base_(options.baseDir),
          root_(options.rootDir.empty() ? options.baseDir : options.rootDir),
          file_(options.fileName), max_(options.maxRecords) {
        Scan();
    }

    TDescription Description() {
        TDescription d;
        SkipNewlines();
        d.root = Object(0);
        SkipNewlines();
        if (IsWord("trailer")) {
            Next();
            const TValue v = Value(0);
            if (v.tag != ValueTag::Binary) Fail("'trailer' takes a binary value");
            d.trailing = v.bytes;
            EndOfLine();
        }
        if (Peek().kind != Tok::End) Fail("text after the root object's end");
        return d;
    }

private:
    [[noreturn]] void Fail(const std::string& what, int line = -1) const {
        throw EDescriptionError(formatMessage(
            Msg::DescriptionSyntax, {file_, std::to_string(line >= 0 ? line : Peek().line), what}));
    }

    // ------------------------------------------------------------ tokens

    // Reads the token that starts at or after pos_ into current_.
    void Scan() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
        const std::size_t i = pos_;
        if (i >= text_.size()) {
            current_ = {Tok::End, {}, line_};
            return;
        }
        const char c = text_[i];
        if (c == '\n') {
            current_ = {Tok::Newline, {}, line_++};
            ++pos_;
        } else if (c == '"') {
            std::size_t j = i + 1;
            while (j < text_.size() && text_[j] != '"') {
                if (text_[j] == '\n') Fail("a text runs past the end of its line", line_);
                j += text_[j] == '\\' ? 2u : 1u;
            }
            if (j >= text_.size()) Fail("a text is not closed", line_);
            current_ = {Tok::String, text_.substr(i + 1, j - i - 1), line_};
            pos_ = j + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && i + 1 < text_.size() &&
                    std::isdigit(static_cast<unsigned char>(text_[i + 1])))) {
            std::size_t j = i + 1;
            while (j < text_.size() && std::isalnum(static_cast<unsigned char>(text_[j]))) ++j;
            current_ = {Tok::Number, text_.substr(i, j - i), line_};
            pos_ = j;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t j = i + 1;
            while (j < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[j])) ||
                                        text_[j] == '_' || text_[j] == '.'))
                ++j;
            current_ = {Tok::Word, text_.substr(i, j - i), line_};
            pos_ = j;
        } else if (std::string_view("()[],=:").find(c) != std::string_view::npos) {
            current_ = {Tok::Punct, text_.substr(i, 1), line_};
            ++pos_;
        } else {
            Fail(std::string("unexpected character '") + c + "'", line_);
        }
    }

    const Token& Peek() const { return current_; }
    Token Next() {
        const Token t = current_;
        if (t.kind != Tok::End) Scan();
        return t;
    }
    bool IsPunct(const char* p) const { return Peek().kind == Tok::Punct && Peek().text == p; }
    bool IsWord(const char* w) const { return Peek().kind == Tok::Word && Peek().text == w; }
    void Expect(const char* p) {
        if (!IsPunct(p)) Fail(std::string("'") + p + "' expected");
        Next();
    }
    void SkipNewlines() {
        while (Peek().kind == Tok::Newline) Next();
    }
    void EndOfLine() {
        if (Peek().kind != Tok::Newline && Peek().kind != Tok::End) Fail("end of line expected");
        SkipNewlines();
    }
    std::string Word(const char* what) {
        if (Peek().kind != Tok::Word) Fail(std::string(what) + " expected");
        return std::string(Next().text);
    }
    // A name: a word, or a quoted text for names that are not words (any bytes).
    std::string Name(const char* what) {
        if (Peek().kind == Tok::String) return Utf8Of(Next().text);
        return Word(what);
    }
    std::string_view Str(const char* what) {
        if (Peek().kind != Tok::String) Fail(std::string(what) + " (a quoted text) expected");
        return Next().text;
    }
    // A number: decimal, possibly negative, or hexadecimal after 0x. Either must fit a
    // signed 64-bit integer; a hexadecimal number is never read as a negative one.
    std::int64_t Int(const char* what) {
        if (Peek().kind != Tok::Number) Fail(std::string(what) + " (a number) expected");
        const Token t = Next();
        const std::string digits(t.text);
        const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x';
        try {
            std::size_t used = 0;
            const std::int64_t v =
                hex ? std::stoll(digits.substr(2), &used, 16) : std::stoll(digits, &used, 10);
            const bool sign = hex && (digits[2] == '-' || digits[2] == '+');
            if (sign || used + (hex ? 2 : 0) != digits.size()) throw std::invalid_argument("");
            return v;
        } catch (const std::out_of_range&) {
            Fail("'" + digits + "' does not fit 64 bits", t.line);
        } catch (...) {
            Fail("'" + digits + "' is not a number", t.line);
        }
    }

    // A name as the stream stores it: a length byte and at most 255 bytes.
    std::string ShortName(const char* what, bool allowEmpty = true) {
        const int line = Peek().line;
        std::string n = Name(what);
        if (n.size() > 255) Fail(std::string(what) + " holds at most 255 bytes", line);
        if (n.empty() && !allowEmpty) Fail(std::string(what) + " may not be empty", line);
        return n;
    }

    // ------------------------------------------------------------ records

    TObjectRecord Object(int depth) {
        if (depth > kMaxObjectNesting) Fail("objects nest too deep");
        if (!IsWord("object")) Fail("'object' expected");
        const int line = Next().line;
        Count();
        TObjectRecord r;
        if (Peek().kind == Tok::Word || Peek().kind == Tok::String)
            r.name = ShortName("an object name");
        Expect(":");
        r.className = ShortName("a class name");
        if (IsWord("prefix")) {
            Next();
            r.hasPrefix = true;
            const std::int64_t flags = Int("the prefix flags");
            if (flags < 0 || flags > 15) Fail("the prefix flags are a number from 0 to 15");
            r.prefixFlags = static_cast<std::uint8_t>(flags);
            if (r.prefixFlags & 2) {
                TValue position = Value(depth);
                if (!position.IsInteger()) Fail("the child position is a number");
                r.SetPosition(position);
            }
        }
        // Without a prefix, the class name's length byte comes first: one of F0 or above
        // would read as a prefix, and an empty one as the end of the parent's children.
        if (!r.hasPrefix && r.className.size() >= 0xF0)
            Fail("a class name of 240 bytes or more needs a prefix", line);
        if (!r.hasPrefix && depth > 0 && r.className.empty())
            Fail("a child's class name may be empty only after a prefix", line);
        EndOfLine();
        bool children = false;
        while (!IsWord("end")) {
            if (Peek().kind == Tok::End) Fail("'end' missing for object " + r.name);
            if (IsWord("object")) {
                children = true;
                r.children.push_back(Object(depth + 1));
            } else if (IsWord("items")) {
                const int itemsLine = Next().line;
                const std::string_view dir = Str("a collection folder");
                std::string catalogue;
                if (IsWord("catalogue")) {
                    Next();
                    catalogue = Utf8Of(Str("the catalogue description"));
                }
                EndOfLine();
                children = true;
                const std::string where = file_ + ":" + std::to_string(itemsLine);
                ForEachCollectionItem(Inside(Utf8Of(dir), itemsLine), catalogue, where, root_,
                                      [&](TObjectRecord&& item) {
                                          // The item and its values, as reading the
                                          // stream counts them.
                                          for (std::size_t k = 0; k <= item.properties.size(); ++k)
                                              Count(itemsLine);
                                          r.children.push_back(std::move(item));
                                      });
            } else {
                if (children) Fail("properties come before children");
                r.properties.push_back(Property(depth));
                EndOfLine();
            }
        }
        Next();
        EndOfLine();
        return r;
    }

    // NAME = VALUE. An empty name would read back as the end of the properties.
    TPropertyRecord Property(int depth) {
        TPropertyRecord p;
        p.name = ShortName("a property name", false);
        Expect("=");
        p.value = Value(depth);
        return p;
    }

    // Every record, value and set member counts against the same limit as reading a
    // stream, so that whatever pack makes, dump and check read back.
    void Count(int line = -1) {
        if (++count_ > max_)
            Fail("more than " + std::to_string(max_) + " records and values", line);
    }

    // ------------------------------------------------------------ values

    TValue Value(int depth) {
        if (depth > kMaxObjectNesting) Fail("values nest too deep");
        Count();
        TValue v;
        const Token t = Peek();
        if (t.kind == Tok::Number) return Integer(Int("a number"), ValueTag::Null);
        if (t.kind == Tok::String) {
            Next();
            return MakeTextValue(Gbk(t.text));
        }
        if (IsPunct("[")) {
            Next();
            v.tag = ValueTag::Set;
            while (!IsPunct("]")) {
                // An empty member would read back as the end of the set.
                Count();
                v.Members().push_back(ShortName("a set member", false));
                if (IsPunct(","))
                    Next();
                else if (!IsPunct("]"))
                    Fail("',' or ']' expected");
            }
            Next();
            return v;
        }
        if (IsPunct("(")) {
            Next();
            v.tag = ValueTag::List;
            for (SkipNewlines(); !IsPunct(")"); SkipNewlines()) {
                const int line = Peek().line;
                TValue item = Value(depth + 1);
                // Its tag, 00, would read back as the end of the list.
                if (item.tag == ValueTag::Null) Fail("a list cannot hold null", line);
                v.Items().push_back(std::move(item));
            }
            Next();
            return v;
        }
        const std::string w = Word("a value");
        if (w == "true" || w == "false") {
            v.tag = w == "true" ? ValueTag::True : ValueTag::False;
        } else if (w == "nil" || w == "null") {
            v.tag = w == "nil" ? ValueTag::Nil : ValueTag::Null;
        } else if (w == "int8" || w == "int16" || w == "int32") {
            return Integer(Int("a number"), w == "int8"    ? ValueTag::Int8
                                            : w == "int16" ? ValueTag::Int16
                                                           : ValueTag::Int32);
        } else if (w == "int64" || w == "currency") {
            v.tag = w == "int64" ? ValueTag::Int64 : ValueTag::Currency;
            v.integer = Int("a number");
        } else if (w == "short" || w == "long") {
            v.tag = w == "short" ? ValueTag::String : ValueTag::LString;
            v.bytes = Gbk(Str("a text"));
            if (v.tag == ValueTag::String && v.bytes.size() > 255)
                Fail("a short text holds at most 255 bytes");
        } else if (w == "utf8") {
            v.tag = ValueTag::Utf8String;
            v.bytes = Utf8Of(Str("a text"));
        } else if (w == "wide") {
            v.tag = ValueTag::WString;
            v.bytes = Utf16Of(Str("a text"));
        } else if (w == "ident") {
            v = MakeIdentValue(Utf8Of(Str("an identifier")));
            if (v.bytes.size() > 255) Fail("an identifier holds at most 255 bytes");
        } else if (w == "file") {
            v = MakeBinaryValue(ReadFile(Utf8Of(Str("a file name"))));
        } else if (w == "picture") {
            const std::string cls = Word("a picture class");
            if (cls.size() > 255) Fail("a picture class holds at most 255 bytes");
            const std::string data = ReadFile(Utf8Of(Str("a picture file")));
            std::string b(1, static_cast<char>(cls.size()));
            b += cls;
            for (int i = 0; i < 4; ++i) b += static_cast<char>(data.size() >> (8 * i));
            v = MakeBinaryValue(b + data);
        } else if (w == "hex" || w == "extended" || w == "single" || w == "date") {
            // Long binaries come as a parenthesised run of quoted pieces, one per line.
            std::string bytes;
            int pending = -1;
            if (IsPunct("(")) {
                Next();
                for (SkipNewlines(); !IsPunct(")"); SkipNewlines())
                    Hex(Str("hexadecimal digits"), bytes, pending);
                Next();
            } else {
                Hex(Str("hexadecimal digits"), bytes, pending);
            }
            if (pending >= 0) Fail("hexadecimal digits in pairs expected");
            const std::size_t want = w == "extended" ? 10
                                     : w == "single" ? 4
                                     : w == "date"   ? 8
                                                     : bytes.size();
            if (bytes.size() != want) Fail("'" + w + "' takes " + std::to_string(want) + " bytes");
            v = MakeBinaryValue(bytes);
            if (w != "hex")
                v.tag = w == "extended" ? ValueTag::Extended
                        : w == "single" ? ValueTag::Single
                                        : ValueTag::Date;
        } else if (w == "collection") {
            v.tag = ValueTag::Collection;
            Expect("(");
            for (SkipNewlines(); !IsPunct(")"); SkipNewlines()) {
                if (!IsWord("item")) Fail("'item' expected");
                Next();
                TCollectionElement e;
                if (!IsPunct("(")) {
                    TValue order = Value(depth + 1);
                    if (!order.IsInteger()) Fail("an item's order is a number");
                    e.order.push_back(std::move(order));
                }
                Expect("(");
                for (SkipNewlines(); !IsPunct(")"); SkipNewlines())
                    e.properties.push_back(Property(depth + 1));
                Next();
                v.Elements().push_back(std::move(e));
            }
            Next();
        } else {
            if (w.size() > 255) Fail("an identifier holds at most 255 bytes");
            v = MakeIdentValue(w);
        }
        return v;
    }

    TValue Integer(std::int64_t n, ValueTag width) {
        if (n < INT32_MIN || n > INT32_MAX) Fail("the number does not fit 32 bits");
        TValue v = MakeIntegerValue(static_cast<std::int32_t>(n));
        if (width != ValueTag::Null) {
            const std::int64_t lo = width == ValueTag::Int8    ? -128
                                    : width == ValueTag::Int16 ? -32768
                                                               : INT32_MIN;
            const std::int64_t hi = width == ValueTag::Int8    ? 127
                                    : width == ValueTag::Int16 ? 32767
                                                               : INT32_MAX;
            if (n < lo || n > hi) Fail("the number does not fit its width");
            v.tag = width;
        }
        return v;
    }

    // ------------------------------------------------------------ texts

    // Hands the pieces of a quoted text to `take` in order: runs of characters (UTF-8, as
    // long as no \\x or \\u escape cuts them), single raw bytes and single code units.
    template <class Take> void ForEachPiece(std::string_view raw, Take&& take) {
        std::string chars;
        const auto flush = [&] {
            if (!chars.empty()) take(Piece::Chars, std::string_view(chars), 0);
            chars.clear();
        };
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\') {
                std::size_t j = raw.find('\\', i);
                if (j == std::string_view::npos) j = raw.size();
                chars.append(raw.substr(i, j - i));
                i = j - 1;
                continue;
            }
            if (++i >= raw.size()) Fail("a text ends in a lone '\\'");
            switch (raw[i]) {
            case '\\':
            case '"':
                chars += raw[i];
                break;
            case 'r':
                chars += '\r';
                break;
            case 'n':
                chars += '\n';
                break;
            case 't':
                chars += '\t';
                break;
            case 'x':
            case 'u': {
                const std::size_t digits = raw[i] == 'x' ? 2 : 4;
                const std::string_view h = raw.substr(i + 1, digits);
                if (h.size() != digits ||
                    h.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                    Fail("an escape needs " + std::to_string(digits) + " hexadecimal digits");
                std::uint16_t code = 0;
                for (char d : h) code = static_cast<std::uint16_t>(code * 16 + HexDigit(d));
                flush();
                take(raw[i] == 'x' ? Piece::Byte : Piece::Unit, std::string_view(), code);
                i += digits;
                break;
            }
            default:
                Fail(std::string("unknown escape '\\") + raw[i] + "'");
            }
        }
        flush();
    }

    static int HexDigit(char d) { return d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10; }

    std::string Gbk(std::string_view raw) {
        std::string out;
        ForEachPiece(raw, [&](Piece::Kind kind, std::string_view chars, std::uint16_t code) {
            if (kind == Piece::Unit) Fail("\\u escapes belong in wide texts");
            if (kind == Piece::Byte) {
                out += static_cast<char>(code);
                return;
            }
            if (!IsUtf8(chars)) Fail("the text is not UTF-8");
            bool ok = false;
            out += UnicodeToGbk(DescriptionUtf8ToUnicode(chars), &ok);
            if (!ok) Fail("the text holds characters that GBK cannot hold");
        });
        return out;
    }

    std::string Utf8Of(std::string_view raw) {
        std::string out;
        ForEachPiece(raw, [&](Piece::Kind kind, std::string_view chars, std::uint16_t code) {
            if (kind == Piece::Unit) Fail("\\u escapes belong in wide texts");
            if (kind == Piece::Byte)
                out += static_cast<char>(code);
            else
                out += chars;
        });
        return out;
    }

    std::string Utf16Of(std::string_view raw) {
        std::string out;
        auto unit = [&](char16_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        ForEachPiece(raw, [&](Piece::Kind kind, std::string_view chars, std::uint16_t code) {
            if (kind == Piece::Byte) Fail("\\x escapes do not belong in wide texts");
            if (kind == Piece::Unit) {
                unit(code);
                return;
            }
            for (QChar c : DescriptionUtf8ToUnicode(chars)) unit(c.unicode());
        });
        return out;
    }

    // Appends the bytes that hexadecimal digits (white space between them ignored) stand
    // for; `pending` carries a digit left over from an earlier piece.
    void Hex(std::string_view raw, std::string& out, int& pending) {
        for (char c : raw) {
            if (std::isspace(static_cast<unsigned char>(c))) continue;
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                Fail("hexadecimal digits in pairs expected");
            if (pending < 0) {
                pending = HexDigit(c);
            } else {
                out += static_cast<char>(pending * 16 + HexDigit(c));
                pending = -1;
            }
        }
    }

    // A path the text names, resolved, when it stays inside the root folder.
    std::filesystem::path Inside(const std::string& rel, int line = -1) const {
        // The system would read the name only up to its first NUL.
        if (rel.find('\0') != std::string::npos) Fail("a file name cannot hold a NUL byte", line);
        if (auto p = ResolveInside(root_, base_, rel)) return *p;
        Fail((base_ / rel).string() + " lies outside " + root_.string(), line);
    }

    std::string ReadFile(const std::string& rel) {
        const std::filesystem::path p = Inside(rel);
        try {
            return ReadNamedFile(p, (base_ / rel).string());
        } catch (const EFOpenError& e) {
            Fail(e.what());
        }
    }

    std::string_view text_;
    std::filesystem::path base_;
    std::filesystem::path root_;
    std::string file_;
    Token current_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::size_t max_;
    std::size_t count_ = 0;
};

} // namespace

TDescription ParseDescription(std::string_view text, const TParseOptions& options) {
    return Parser(text, options).Description();
}

TObjectRecord ParseDescriptionText(std::string_view text, const std::filesystem::path& baseDir,
                                   const std::string& fileName) {
    TParseOptions options;
    options.baseDir = baseDir;
    options.fileName = fileName;
    return ParseDescription(text, options).root;
}

std::string SerializeDescription(const TDescription& description) {
    return SerializeObjectStream(description.root) + description.trailing;
}

} // namespace orlenth
