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

struct Token {
    Tok kind;
    std::string text; // word, number, punctuation; for strings the raw content between quotes
    int line;
};

// One piece of a quoted text: characters (UTF-8), one raw byte, or one UTF-16 code unit.
struct Piece {
    enum Kind { Chars, Byte, Unit } kind;
    std::string chars;
    std::uint16_t code = 0;
};

class Parser {
public:
    Parser(std::string_view text, const TParseOptions& options)
        : text_(text), base_(options.baseDir),
          root_(options.rootDir.empty() ? options.baseDir : options.rootDir),
          file_(options.fileName) {
        Tokenize();
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

    void Tokenize() {
        int line = 1;
        std::size_t i = 0;
        while (i < text_.size()) {
            const char c = text_[i];
            if (c == '\n') {
                tokens_.push_back({Tok::Newline, "", line++});
                ++i;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '#') {
                while (i < text_.size() && text_[i] != '\n') ++i;
            } else if (c == '"') {
                std::size_t j = i + 1;
                while (j < text_.size() && text_[j] != '"') {
                    if (text_[j] == '\n') Fail("a text runs past the end of its line", line);
                    j += text_[j] == '\\' ? 2u : 1u;
                }
                if (j >= text_.size()) Fail("a text is not closed", line);
                tokens_.push_back({Tok::String, std::string(text_.substr(i + 1, j - i - 1)), line});
                i = j + 1;
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '-' && i + 1 < text_.size() &&
                        std::isdigit(static_cast<unsigned char>(text_[i + 1])))) {
                std::size_t j = i + 1;
                while (j < text_.size() && std::isalnum(static_cast<unsigned char>(text_[j]))) ++j;
                tokens_.push_back({Tok::Number, std::string(text_.substr(i, j - i)), line});
                i = j;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t j = i + 1;
                while (j < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[j])) ||
                                            text_[j] == '_' || text_[j] == '.'))
                    ++j;
                tokens_.push_back({Tok::Word, std::string(text_.substr(i, j - i)), line});
                i = j;
            } else if (std::string_view("()[],=:").find(c) != std::string_view::npos) {
                tokens_.push_back({Tok::Punct, std::string(1, c), line});
                ++i;
            } else {
                Fail(std::string("unexpected character '") + c + "'", line);
            }
        }
        tokens_.push_back({Tok::End, "", line});
    }

    const Token& Peek() const { return tokens_[std::min(at_, tokens_.size() - 1)]; }
    Token Next() {
        const Token t = Peek();
        if (at_ < tokens_.size() - 1) ++at_;
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
        return Next().text;
    }
    // A name: a word, or a quoted text for names that are not words (any bytes).
    std::string Name(const char* what) {
        if (Peek().kind == Tok::String) return Utf8Of(Next().text);
        return Word(what);
    }
    std::string Str(const char* what) {
        if (Peek().kind != Tok::String) Fail(std::string(what) + " (a quoted text) expected");
        return Next().text;
    }
    std::int64_t Int(const char* what) {
        if (Peek().kind != Tok::Number) Fail(std::string(what) + " (a number) expected");
        const Token t = Next();
        try {
            std::size_t used = 0;
            const bool hex = t.text.size() > 2 && (t.text[1] == 'x' || t.text[1] == 'X');
            const std::int64_t v =
                hex ? static_cast<std::int64_t>(std::stoull(t.text.substr(2), &used, 16))
                    : std::stoll(t.text, &used, 10);
            if (used + (hex ? 2 : 0) != t.text.size()) throw std::invalid_argument("");
            return v;
        } catch (...) {
            Fail("'" + t.text + "' is not a number", t.line);
        }
    }

    // ------------------------------------------------------------ records

    TObjectRecord Object(int depth) {
        if (depth > kMaxObjectNesting) Fail("objects nest too deep");
        if (!IsWord("object")) Fail("'object' expected");
        Next();
        TObjectRecord r;
        if (Peek().kind == Tok::Word || Peek().kind == Tok::String) r.name = Name("an object name");
        Expect(":");
        r.className = Name("a class name");
        if (IsWord("prefix")) {
            Next();
            r.hasPrefix = true;
            r.prefixFlags = static_cast<std::uint8_t>(Int("the prefix flags") & 0x0F);
            if (r.prefixFlags & 2) r.position.push_back(Value(depth));
        }
        EndOfLine();
        bool children = false;
        while (!IsWord("end")) {
            if (Peek().kind == Tok::End) Fail("'end' missing for object " + r.name);
            if (IsWord("object")) {
                children = true;
                r.children.push_back(Object(depth + 1));
            } else if (IsWord("items")) {
                const int line = Next().line;
                const std::string dir = Str("a collection folder");
                std::string catalogue;
                if (IsWord("catalogue")) {
                    Next();
                    catalogue = Utf8Of(Str("the catalogue description"));
                }
                EndOfLine();
                children = true;
                const std::string where = file_ + ":" + std::to_string(line);
                ForEachCollectionItem(
                    Inside(Utf8Of(dir), line), catalogue, where, root_,
                    [&](TObjectRecord&& item) { r.children.push_back(std::move(item)); });
            } else {
                if (children) Fail("properties come before children");
                TPropertyRecord p;
                p.name = Name("a property name");
                Expect("=");
                p.value = Value(depth);
                EndOfLine();
                r.properties.push_back(std::move(p));
            }
        }
        Next();
        EndOfLine();
        return r;
    }

    // ------------------------------------------------------------ values

    TValue Value(int depth) {
        if (depth > kMaxObjectNesting) Fail("values nest too deep");
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
                v.members.push_back(Name("a set member"));
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
            for (SkipNewlines(); !IsPunct(")"); SkipNewlines()) v.items.push_back(Value(depth + 1));
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
        } else if (w == "file") {
            v = MakeBinaryValue(ReadFile(Utf8Of(Str("a file name"))));
        } else if (w == "picture") {
            const std::string cls = Word("a picture class");
            const std::string data = ReadFile(Utf8Of(Str("a picture file")));
            std::string b(1, static_cast<char>(cls.size()));
            b += cls;
            for (int i = 0; i < 4; ++i) b += static_cast<char>(data.size() >> (8 * i));
            v = MakeBinaryValue(b + data);
        } else if (w == "hex" || w == "extended" || w == "single" || w == "date") {
            // Long binaries come as a parenthesised run of quoted pieces, one per line.
            std::string digits;
            if (IsPunct("(")) {
                Next();
                for (SkipNewlines(); !IsPunct(")"); SkipNewlines())
                    digits += Str("hexadecimal digits");
                Next();
            } else {
                digits = Str("hexadecimal digits");
            }
            const std::string bytes = Hex(digits);
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
                if (!IsPunct("(")) e.order.push_back(Value(depth + 1));
                Expect("(");
                for (SkipNewlines(); !IsPunct(")"); SkipNewlines()) {
                    TPropertyRecord p;
                    p.name = Name("a property name");
                    Expect("=");
                    p.value = Value(depth + 1);
                    e.properties.push_back(std::move(p));
                }
                Next();
                v.elements.push_back(std::move(e));
            }
            Next();
        } else {
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

    std::vector<Piece> Pieces(const std::string& raw) {
        std::vector<Piece> out;
        auto chars = [&]() -> std::string& {
            if (out.empty() || out.back().kind != Piece::Chars)
                out.push_back({Piece::Chars, "", 0});
            return out.back().chars;
        };
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\') {
                chars() += raw[i];
                continue;
            }
            if (++i >= raw.size()) Fail("a text ends in a lone '\\'");
            switch (raw[i]) {
            case '\\':
                chars() += '\\';
                break;
            case '"':
                chars() += '"';
                break;
            case 'r':
                chars() += '\r';
                break;
            case 'n':
                chars() += '\n';
                break;
            case 't':
                chars() += '\t';
                break;
            case 'x':
            case 'u': {
                const std::size_t digits = raw[i] == 'x' ? 2 : 4;
                const std::string h = raw.substr(i + 1, digits);
                if (h.size() != digits ||
                    h.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    Fail("an escape needs " + std::to_string(digits) + " hexadecimal digits");
                const auto code = static_cast<std::uint16_t>(std::stoul(h, nullptr, 16));
                out.push_back({raw[i] == 'x' ? Piece::Byte : Piece::Unit, "", code});
                i += digits;
                break;
            }
            default:
                Fail(std::string("unknown escape '\\") + raw[i] + "'");
            }
        }
        return out;
    }

    std::string Gbk(const std::string& raw) {
        std::string out;
        for (const Piece& p : Pieces(raw)) {
            if (p.kind == Piece::Unit) Fail("\\u escapes belong in wide texts");
            if (p.kind == Piece::Byte) {
                out += static_cast<char>(p.code);
                continue;
            }
            if (!IsUtf8(p.chars)) Fail("the text is not UTF-8");
            bool ok = false;
            out += UnicodeToGbk(DescriptionUtf8ToUnicode(p.chars), &ok);
            if (!ok) Fail("the text holds characters that GBK cannot hold");
        }
        return out;
    }

    std::string Utf8Of(const std::string& raw) {
        std::string out;
        for (const Piece& p : Pieces(raw)) {
            if (p.kind == Piece::Unit) Fail("\\u escapes belong in wide texts");
            if (p.kind == Piece::Byte)
                out += static_cast<char>(p.code);
            else
                out += p.chars;
        }
        return out;
    }

    std::string Utf16Of(const std::string& raw) {
        std::string out;
        auto unit = [&](char16_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        for (const Piece& p : Pieces(raw)) {
            if (p.kind == Piece::Byte) Fail("\\x escapes do not belong in wide texts");
            if (p.kind == Piece::Unit) {
                unit(p.code);
                continue;
            }
            for (QChar c : DescriptionUtf8ToUnicode(p.chars)) unit(c.unicode());
        }
        return out;
    }

    std::string Hex(const std::string& raw) {
        std::string digits;
        for (char c : raw)
            if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
        if (digits.size() % 2 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Fail("hexadecimal digits in pairs expected");
        std::string out;
        for (std::size_t i = 0; i < digits.size(); i += 2)
            out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
        return out;
    }

    // A path the text names, resolved, when it stays inside the root folder.
    std::filesystem::path Inside(const std::string& rel, int line = -1) const {
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
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
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
