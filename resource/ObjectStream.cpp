#include "resource/ObjectStream.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"

#include <cstring>

namespace orlenth {

namespace {

// ---------------------------------------------------------------- reading

class Parser {
public:
    Parser(std::string_view bytes, bool borrow) : p_(bytes), borrow_(borrow) {}

    void Signature() {
        if (p_.size() < 4 || p_.substr(0, 4) != "TPF0")
            throw EReadError(formatMessage(Msg::InvalidStreamFormat));
        at_ = 4;
    }

    TObjectRecord Record(int depth) {
        if (depth > kMaxObjectNesting) throw EReadError(formatMessage(Msg::InvalidPropertyValue));
        TObjectRecord r;
        if (Peek() >= 0xF0) {
            r.hasPrefix = true;
            r.prefixFlags = static_cast<std::uint8_t>(Byte() & 0x0F);
            if (r.prefixFlags & 2) {
                TValue v = Value(depth);
                if (!v.IsInteger()) throw EReadError(formatMessage(Msg::InvalidPropertyValue));
                r.position.push_back(std::move(v));
            }
        }
        r.className = ShortName();
        r.name = ShortName();
        r.properties.reserve(4);
        while (Peek() != 0) {
            // Made in place: a value is large, and moving it in showed in the profile.
            TPropertyRecord& prop = r.properties.emplace_back();
            prop.name = ShortName();
            try {
                prop.value = Value(depth);
            } catch (const Exception& e) {
                throw EReadError(
                    formatMessage(Msg::ErrorReading, {r.name.empty() ? r.className : r.name, ".",
                                                      prop.name, e.Message()}));
            }
        }
        ++at_;
        while (Peek() != 0) r.children.push_back(Record(depth + 1));
        ++at_;
        return r;
    }

    // Bytes read so far, the signature included.
    std::size_t Used() const { return at_; }

private:
    std::uint8_t Peek() const {
        if (at_ >= p_.size()) throw EReadError();
        return static_cast<std::uint8_t>(p_[at_]);
    }
    std::uint8_t Byte() {
        const std::uint8_t b = Peek();
        ++at_;
        return b;
    }
    std::string_view Take(std::size_t n) {
        if (n > p_.size() - at_) throw EReadError();
        const std::string_view s = p_.substr(at_, n);
        at_ += n;
        return s;
    }
    std::int64_t Little(std::size_t width) {
        const std::string_view s = Take(width);
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i)
            v |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(s[i])) << (8 * i);
        // Sign-extend from the field's width.
        const unsigned shift = static_cast<unsigned>(64 - 8 * width);
        return static_cast<std::int64_t>(v << shift) >> shift;
    }
    std::size_t Length32() {
        const std::int64_t n = Little(4);
        // A negative or oversized length cannot be satisfied by what remains.
        if (n < 0 || static_cast<std::uint64_t>(n) > p_.size() - at_) throw EReadError();
        return static_cast<std::size_t>(n);
    }
    std::string ShortName() {
        const std::uint8_t n = Byte();
        return std::string(Take(n));
    }

    TValue Value(int depth) {
        if (depth > kMaxObjectNesting) throw EReadError(formatMessage(Msg::InvalidPropertyValue));
        TValue v;
        const std::uint8_t tag = Byte();
        v.tag = static_cast<ValueTag>(tag);
        switch (v.tag) {
        case ValueTag::Null:
        case ValueTag::False:
        case ValueTag::True:
        case ValueTag::Nil:
            break;
        case ValueTag::List:
            while (Peek() != 0) v.items.push_back(Value(depth + 1));
            ++at_;
            break;
        case ValueTag::Int8:
            v.integer = Little(1);
            break;
        case ValueTag::Int16:
            v.integer = Little(2);
            break;
        case ValueTag::Int32:
            v.integer = Little(4);
            break;
        case ValueTag::Int64:
        case ValueTag::Currency:
            v.integer = Little(8);
            break;
        case ValueTag::Extended:
            v.bytes = Take(10);
            break;
        case ValueTag::Single:
            v.bytes = Take(4);
            break;
        case ValueTag::Date:
            v.bytes = Take(8);
            break;
        case ValueTag::String:
        case ValueTag::Ident:
            v.bytes = Take(Byte());
            break;
        case ValueTag::LString:
        case ValueTag::Utf8String:
            v.bytes = Take(Length32());
            break;
        case ValueTag::Binary:
            if (borrow_)
                v.borrowed = Take(Length32());
            else
                v.bytes = Take(Length32());
            break;
        case ValueTag::WString: {
            const std::int64_t units = Little(4);
            if (units < 0 || static_cast<std::uint64_t>(units) > (p_.size() - at_) / 2)
                throw EReadError();
            v.bytes = Take(static_cast<std::size_t>(units) * 2);
            break;
        }
        case ValueTag::Set:
            for (std::string m; !(m = ShortName()).empty();) v.members.push_back(std::move(m));
            break;
        case ValueTag::Collection:
            while (Peek() != 0) {
                TCollectionElement e;
                if (Peek() != 1) {
                    TValue order = Value(depth + 1);
                    if (!order.IsInteger())
                        throw EReadError(formatMessage(Msg::InvalidPropertyValue));
                    e.order.push_back(std::move(order));
                }
                if (Byte() != 1) throw EReadError(formatMessage(Msg::InvalidPropertyValue));
                while (Peek() != 0) {
                    TPropertyRecord prop;
                    prop.name = ShortName();
                    prop.value = Value(depth + 1);
                    e.properties.push_back(std::move(prop));
                }
                ++at_;
                v.elements.push_back(std::move(e));
            }
            ++at_;
            break;
        default:
            throw EReadError(formatMessage(Msg::InvalidPropertyValue));
        }
        return v;
    }

    std::string_view p_;
    bool borrow_;
    std::size_t at_ = 0;
};

// ---------------------------------------------------------------- writing

class Serializer {
public:
    std::string out;

    void Record(const TObjectRecord& r) {
        if (r.hasPrefix) {
            out += static_cast<char>(0xF0 | (r.prefixFlags & 0x0F));
            if ((r.prefixFlags & 2) && !r.position.empty()) Value(r.position.front());
        }
        ShortName(r.className);
        ShortName(r.name);
        for (const auto& p : r.properties) {
            ShortName(p.name);
            Value(p.value);
        }
        out += '\0';
        for (const auto& c : r.children) Record(c);
        out += '\0';
    }

private:
    void ShortName(std::string_view s) {
        if (s.size() > 255) s = s.substr(0, 255);
        out += static_cast<char>(s.size());
        out += s;
    }
    void Little(std::int64_t v, int width) {
        for (int i = 0; i < width; ++i)
            out += static_cast<char>(static_cast<std::uint64_t>(v) >> (8 * i));
    }
    void Value(const TValue& v) {
        out += static_cast<char>(v.tag);
        switch (v.tag) {
        case ValueTag::List:
            for (const auto& i : v.items) Value(i);
            out += '\0';
            break;
        case ValueTag::Int8:
            Little(v.integer, 1);
            break;
        case ValueTag::Int16:
            Little(v.integer, 2);
            break;
        case ValueTag::Int32:
            Little(v.integer, 4);
            break;
        case ValueTag::Int64:
        case ValueTag::Currency:
            Little(v.integer, 8);
            break;
        case ValueTag::Extended:
        case ValueTag::Single:
        case ValueTag::Date:
            out += v.bytes;
            break;
        case ValueTag::String:
        case ValueTag::Ident:
            ShortName(v.bytes);
            break;
        case ValueTag::LString:
        case ValueTag::Utf8String:
        case ValueTag::Binary:
            Little(static_cast<std::int64_t>(v.Data().size()), 4);
            out += v.Data();
            break;
        case ValueTag::WString:
            Little(static_cast<std::int64_t>(v.bytes.size() / 2), 4);
            out += v.bytes.substr(0, v.bytes.size() / 2 * 2);
            break;
        case ValueTag::Set:
            for (const auto& m : v.members) ShortName(m);
            out += '\0';
            break;
        case ValueTag::Collection:
            for (const auto& e : v.elements) {
                if (!e.order.empty()) Value(e.order.front());
                out += '\1';
                for (const auto& p : e.properties) {
                    ShortName(p.name);
                    Value(p.value);
                }
                out += '\0';
            }
            out += '\0';
            break;
        default:
            break;
        }
    }
};

} // namespace

TObjectRecord ParseObjectStream(std::string_view bytes, bool borrowBinaries, std::size_t* length) {
    Parser p(bytes, borrowBinaries);
    p.Signature();
    TObjectRecord root = p.Record(0);
    if (length) *length = p.Used();
    return root;
}

std::string SerializeObjectStream(const TObjectRecord& root) {
    Serializer s;
    s.out = "TPF0";
    s.Record(root);
    return std::move(s.out);
}

TValue MakeTextValue(std::string_view gbk) {
    TValue v;
    bool ok = false;
    const QString u = GbkToUnicode(gbk, &ok);
    const QByteArray e = u.toUtf8();
    const auto n = static_cast<std::size_t>(u.size());
    if (!ok || static_cast<std::size_t>(e.size()) < 2 * n) {
        const bool ascii =
            ok && std::string_view(e.constData(), static_cast<std::size_t>(e.size())) == gbk;
        if (ok && !ascii) {
            v.tag = ValueTag::Utf8String;
            v.bytes.assign(e.constData(), static_cast<std::size_t>(e.size()));
        } else {
            v.tag = gbk.size() <= 255 ? ValueTag::String : ValueTag::LString;
            v.bytes = gbk;
        }
        return v;
    }
    v.tag = ValueTag::WString;
    v.bytes.resize(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = u[static_cast<qsizetype>(i)].unicode();
        v.bytes[2 * i] = static_cast<char>(c & 0xFF);
        v.bytes[2 * i + 1] = static_cast<char>(c >> 8);
    }
    return v;
}

TValue MakeIntegerValue(std::int32_t i) {
    TValue v;
    v.integer = i;
    v.tag = (i >= -128 && i <= 127)       ? ValueTag::Int8
            : (i >= -32768 && i <= 32767) ? ValueTag::Int16
                                          : ValueTag::Int32;
    return v;
}

TValue MakeBooleanValue(bool b) {
    TValue v;
    v.tag = b ? ValueTag::True : ValueTag::False;
    return v;
}

TValue MakeBinaryValue(std::string bytes) {
    TValue v;
    v.tag = ValueTag::Binary;
    v.bytes = std::move(bytes);
    return v;
}

TValue MakeIdentValue(std::string ident) {
    TValue v;
    v.tag = ValueTag::Ident;
    v.bytes = std::move(ident);
    return v;
}

std::string TextValueToGbk(const TValue& v) {
    switch (v.tag) {
    case ValueTag::String:
    case ValueTag::LString:
        return v.bytes;
    case ValueTag::Utf8String:
        return UnicodeToGbk(
            QString::fromUtf8(v.bytes.data(), static_cast<qsizetype>(v.bytes.size())));
    case ValueTag::WString: {
        const std::size_t n = v.bytes.size() / 2;
        QString u(static_cast<qsizetype>(n), Qt::Uninitialized);
        // Filled through one pointer: indexing checks for sharing on every character.
        QChar* out = u.data();
        for (std::size_t i = 0; i < n; ++i) {
            const auto lo = static_cast<std::uint8_t>(v.bytes[2 * i]);
            const auto hi = static_cast<std::uint8_t>(v.bytes[2 * i + 1]);
            out[i] = QChar(static_cast<char16_t>(lo | hi << 8));
        }
        return UnicodeToGbk(u);
    }
    default:
        throw EReadError(formatMessage(Msg::InvalidPropertyValue));
    }
}

} // namespace orlenth
