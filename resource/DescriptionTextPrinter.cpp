// Record tree to description text (docs/description-text.md), so that parsing the text
// gives back the same bytes.

#include "resource/DescriptionText.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "resource/CollectionItems.h"
#include "resource/DescriptionTextPaths.h"
#include "resource/DescriptionTextUtf8.h"
#include "resource/ObjectStream.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <set>

namespace orlenth {

namespace {

bool isKeyword(const std::string& w) {
    static const char* const kWords[] = {
        "true",    "false", "nil",      "null",   "int8",      "int16",    "int32",
        "int64",   "short", "long",     "utf8",   "wide",      "ident",    "file",
        "picture", "hex",   "extended", "single", "date",      "currency", "collection",
        "object",  "end",   "items",    "item",   "catalogue", "prefix"};
    for (const char* k : kWords)
        if (w == k) return true;
    return false;
}

bool isWord(const std::string& w) {
    if (w.empty() || !(std::isalpha(static_cast<unsigned char>(w[0])) || w[0] == '_')) return false;
    for (char c : w)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) return false;
    return true;
}

std::string hexByte(unsigned v, int digits) {
    char b[8];
    std::snprintf(b, sizeof b, digits == 2 ? "%02X" : "%04X", v);
    return b;
}

// Escapes a Unicode text for the inside of quotes. Control characters become \xHH in
// byte texts (where they are one byte in GBK and UTF-8 alike) and \uHHHH in wide ones.
std::string quoteUnicode(const QString& s, bool wide = false) {
    std::string out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += QString(s.mid(i, 2)).toUtf8().toStdString();
            ++i;
        } else if (c.isSurrogate()) {
            // Only wide texts can hold a lone surrogate.
            out += "\\u" + hexByte(u, 4);
        } else if (u == '\\' || u == '"') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\r') {
            out += "\\r";
        } else if (u == '\n') {
            out += "\\n";
        } else if (u == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            out += wide ? "\\u" + hexByte(u, 4) : "\\x" + hexByte(u, 2);
        } else {
            out += QString(c).toUtf8().toStdString();
        }
    }
    return out;
}

// Bytes that are kept as they are: printable ASCII plainly, everything else escaped.
std::string quoteBytes(const std::string& b) {
    std::string out;
    for (char ch : b) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x" + hexByte(c, 2);
        }
    }
    return out;
}

// A text in the explicit form for its tag, or plainly when the rule gives the same value.
std::string printText(const TValue& v) {
    if (v.tag == ValueTag::String || v.tag == ValueTag::LString) {
        bool clean = false;
        const QString u = GbkToUnicode(v.bytes, &clean);
        if (clean) {
            const TValue again = MakeTextValue(v.bytes);
            const std::string q = "\"" + quoteUnicode(u) + "\"";
            if (again.tag == v.tag && again.bytes == v.bytes) return q;
            return (v.tag == ValueTag::String ? "short " : "long ") + q;
        }
        return std::string(v.tag == ValueTag::String ? "short \"" : "long \"") +
               quoteBytes(v.bytes) + "\"";
    }
    if (v.tag == ValueTag::Utf8String) {
        const QString u = DescriptionUtf8ToUnicode(v.bytes);
        const bool valid = u.toUtf8().toStdString() == v.bytes;
        if (valid) {
            bool gbkOk = false;
            const std::string gbk = UnicodeToGbk(u, &gbkOk);
            if (gbkOk) {
                const TValue again = MakeTextValue(gbk);
                if (again.tag == v.tag && again.bytes == v.bytes)
                    return "\"" + quoteUnicode(u) + "\"";
            }
            return "utf8 \"" + quoteUnicode(u) + "\"";
        }
        return "utf8 \"" + quoteBytes(v.bytes) + "\"";
    }
    // Wide text.
    QString u;
    for (std::size_t i = 0; i + 1 < v.bytes.size(); i += 2)
        u += QChar(static_cast<char16_t>(static_cast<unsigned char>(v.bytes[i]) |
                                         static_cast<unsigned char>(v.bytes[i + 1]) << 8));
    bool gbkOk = false;
    const std::string gbk = UnicodeToGbk(u, &gbkOk);
    if (gbkOk) {
        const TValue again = MakeTextValue(gbk);
        if (again.tag == v.tag && again.bytes == v.bytes) return "\"" + quoteUnicode(u) + "\"";
    }
    return "wide \"" + quoteUnicode(u, true) + "\"";
}

// A name as a word where it is one, else quoted.
std::string name(const std::string& n) {
    if (isWord(n) && !isKeyword(n)) return n;
    return "\"" + quoteBytes(n) + "\"";
}

class Printer {
public:
    explicit Printer(const TPrintOptions& o) : options_(o) {}

    std::string out;

    void Record(const TObjectRecord& r, int depth) {
        const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
        out += pad + "object " + (r.name.empty() ? "" : name(r.name)) + ": " + name(r.className);
        if (r.hasPrefix) {
            out += " prefix " + std::to_string(r.prefixFlags);
            if (r.HasPosition()) out += " " + Value(r.PositionValue(), pad, "");
        }
        out += "\n";
        for (const auto& p : r.properties)
            out += pad + "  " + name(p.name) + " = " + Value(p.value, pad + "  ", p.name) + "\n";
        bool itemsDone = false;
        if (r.className == "TWJKStringList" && !options_.filesDir.empty() && !r.children.empty()) {
            const std::string rel = "collection/" + FolderName(r.name);
            Folder("collection");
            if (auto cat = WriteCollectionItems(r.children, options_.filesDir / rel)) {
                out += pad + "  items \"" + quoteBytes(rel) + "\"";
                if (!cat->empty())
                    out += " catalogue \"" + quoteUnicode(DescriptionUtf8ToUnicode(*cat)) + "\"";
                out += "\n";
                itemsDone = true;
            }
        }
        if (!itemsDone)
            for (const auto& c : r.children) Record(c, depth + 1);
        out += pad + "end\n";
    }

    void Trailer(std::string_view bytes) {
        if (!bytes.empty()) out += "trailer " + Binary(std::string(bytes), "", "") + "\n";
    }

    // Removes the folders this call made and left empty (no container could be written
    // as a folder).
    void RemoveEmptyFolders() {
        std::error_code ec;
        for (const auto& p : made_)
            if (std::filesystem::is_empty(p, ec)) std::filesystem::remove(p, ec);
    }

private:
    std::string Value(const TValue& v, const std::string& pad, const std::string& propName) {
        switch (v.tag) {
        case ValueTag::Null:
            return "null";
        case ValueTag::Nil:
            return "nil";
        case ValueTag::True:
            return "true";
        case ValueTag::False:
            return "false";
        case ValueTag::Int8:
        case ValueTag::Int16:
        case ValueTag::Int32: {
            const TValue smallest = MakeIntegerValue(static_cast<std::int32_t>(v.integer));
            const std::string n = std::to_string(v.integer);
            if (smallest.tag == v.tag) return n;
            return (v.tag == ValueTag::Int8    ? "int8 "
                    : v.tag == ValueTag::Int16 ? "int16 "
                                               : "int32 ") +
                   n;
        }
        case ValueTag::Int64:
            return "int64 " + std::to_string(v.integer);
        case ValueTag::Currency:
            return "currency " + std::to_string(v.integer);
        case ValueTag::String:
        case ValueTag::LString:
        case ValueTag::Utf8String:
        case ValueTag::WString:
            return printText(v);
        case ValueTag::Ident:
            if (isWord(v.bytes) && !isKeyword(v.bytes)) return v.bytes;
            return "ident \"" + quoteBytes(v.bytes) + "\"";
        case ValueTag::Set: {
            std::string s = "[";
            for (std::size_t i = 0; i < v.Members().size(); ++i)
                s += (i ? ", " : "") + name(v.Members()[i]);
            return s + "]";
        }
        case ValueTag::List: {
            std::string s = "(\n";
            for (const auto& i : v.Items()) s += pad + "  " + Value(i, pad + "  ", "") + "\n";
            return s + pad + ")";
        }
        case ValueTag::Extended:
            return "extended \"" + Plain(v.bytes) + "\"";
        case ValueTag::Single:
            return "single \"" + Plain(v.bytes) + "\"";
        case ValueTag::Date:
            return "date \"" + Plain(v.bytes) + "\"";
        case ValueTag::Binary:
            return Binary(std::string(v.Data()), pad, propName);
        case ValueTag::Collection: {
            std::string s = "collection (\n";
            for (const auto& e : v.Elements()) {
                s += pad + "  item ";
                if (!e.order.empty()) s += Value(e.order.front(), pad, "") + " ";
                s += "(\n";
                for (const auto& p : e.properties)
                    s += pad + "    " + name(p.name) + " = " +
                         Value(p.value, pad + "    ", p.name) + "\n";
                s += pad + "  )\n";
            }
            return s + pad + ")";
        }
        }
        return "null";
    }

    static std::string Plain(const std::string& b) {
        std::string s;
        for (char c : b) s += hexByte(static_cast<unsigned char>(c), 2);
        return s;
    }

    std::string Binary(const std::string& b, const std::string& pad, const std::string& propName) {
        // A picture: a length byte and class name, a 32-bit length, then exactly the file.
        if (!options_.filesDir.empty() && propName.ends_with("Picture.Data") && b.size() > 5) {
            const std::size_t n = static_cast<unsigned char>(b[0]);
            if (1 + n + 4 <= b.size() && isWord(b.substr(1, n))) {
                std::uint32_t len = 0;
                for (int i = 0; i < 4; ++i)
                    len |= static_cast<std::uint32_t>(
                               static_cast<unsigned char>(b[1 + n + static_cast<std::size_t>(i)]))
                           << (8 * i);
                if (1 + n + 4 + len == b.size()) {
                    const std::string cls = b.substr(1, n);
                    const std::string ext = cls == "TJPEGImage" ? ".jpg"
                                            : cls == "TBitmap"  ? ".bmp"
                                                                : ".bin";
                    Folder("pictures");
                    const std::string rel = NewPicture(ext, std::string_view(b).substr(1 + n + 4));
                    return "picture " + cls + " \"" + rel + "\"";
                }
            }
        }
        if (b.size() <= 40) {
            std::string s = "hex \"";
            for (char c : b) s += hexByte(static_cast<unsigned char>(c), 2);
            return s + "\"";
        }
        std::string s = "hex (";
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (i % 40 == 0) s += (i ? "\"\n" : "\n") + pad + "  \"";
            s += hexByte(static_cast<unsigned char>(b[i]), 2);
        }
        return s + "\"\n" + pad + ")";
    }

    // A folder of the files folder, made if missing; one that is not a plain folder (a
    // link could lead anywhere) is refused.
    void Folder(const std::string& rel) {
        const auto p = options_.filesDir / rel;
        if (std::filesystem::create_directory(p))
            made_.push_back(p);
        else if (std::filesystem::is_symlink(p) || !std::filesystem::is_directory(p))
            throw EFOpenError::forFile(p.string());
    }

    // The container's name where it can name a folder of its own, a made-up one otherwise.
    std::string FolderName(const std::string& name) {
        if (IsSafeFileName(name) && folders_.insert(name).second) return name;
        std::string made;
        do made = "items" + std::to_string(++unnamed_);
        while (!folders_.insert(made).second);
        return made;
    }

    // Writes a picture's file under a number no file there has yet, never over one.
    std::string NewPicture(const std::string& ext, std::string_view bytes) {
        for (;;) {
            const std::string rel = "pictures/picture" + std::to_string(++pictures_) + ext;
            const std::string path = (options_.filesDir / rel).string();
            std::FILE* f = std::fopen(path.c_str(), "wbx");
            if (!f && errno == EEXIST) continue;
            if (!f) throw EFOpenError::forFile(path);
            const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
            if (std::fclose(f) != 0 || !written) throw EWriteError();
            return rel;
        }
    }

    const TPrintOptions& options_;
    int pictures_ = 0;
    int unnamed_ = 0;
    std::set<std::string> folders_;
    std::vector<std::filesystem::path> made_;
};

} // namespace

std::string PrintDescriptionText(const TObjectRecord& root, const TPrintOptions& options) {
    Printer p(options);
    p.Record(root, 0);
    p.Trailer(options.trailing);
    p.RemoveEmptyFolders();
    return std::move(p.out);
}

} // namespace orlenth
