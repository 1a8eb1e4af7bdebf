#include "resource/ObjectStream.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orlenth {

namespace {

// ---------------------------------------------------------------- reading

// The byte-level reading both passes share: every length is checked against what
// remains, and nothing outside the bytes is ever read.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : p_(bytes) {}

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
    std::size_t WideLength() {
        const std::int64_t units = Little(4);
        if (units < 0 || static_cast<std::uint64_t>(units) > (p_.size() - at_) / 2)
            throw EReadError();
        return static_cast<std::size_t>(units) * 2;
    }
    std::string_view ShortName() { return Take(Byte()); }
    bool StartsWith(std::string_view s) const { return p_.substr(0, s.size()) == s; }

    std::size_t at_ = 0;

private:
    std::string_view p_;
};

// Reads a stream in two passes. The first walks it without building anything and notes
// how long each sequence is (a record's properties and children, a list's items, a set's
// members), in the order the second pass starts them; the second builds the tree with
// every vector made at its final size. So a record or a value costs its own size, with no
// room to grow and no vector copied while it grows: a stream of a million minimal records
// takes the tree 120 bytes each, a list of a million flags 64 bytes each.
// The first pass gives up quietly where the stream is damaged or too large: the second
// meets the same fault at the same place and reports it properly.
class Parser {
public:
    Parser(std::string_view bytes, bool borrow, std::size_t maxRecords)
        : c_(bytes), borrow_(borrow), max_(maxRecords) {}

    TObjectRecord Read() {
        if (!c_.StartsWith("TPF0")) throw EReadError(formatMessage(Msg::InvalidStreamFormat));
        c_.at_ = 4;
        try {
            MeasureRecord(0);
        } catch (const Exception&) {
        }
        c_.at_ = 4;
        count_ = 0;
        return Record(0);
    }

    // Bytes read so far, the signature included.
    std::size_t Used() const { return c_.at_; }

private:
    [[noreturn]] static void Invalid() {
        throw EReadError(formatMessage(Msg::InvalidPropertyValue));
    }

    // Every record, value and set member counts against the limit the caller set.
    void Count() {
        if (++count_ > max_)
            throw EReadError(formatMessage(Msg::TooManyRecords, {std::to_string(max_)}));
    }

    // ------------------------------------------------ first pass: lengths only

    // Numbers the sequences in the order they begin, and keeps a place for the length of
    // each that is not empty (its first byte is not the end mark): a million empty lists
    // then cost nothing here.
    static constexpr std::size_t kEmpty = SIZE_MAX;
    std::size_t Slot() {
        const std::size_t slot = slots_++;
        if (c_.Peek() == 0 || slot > UINT32_MAX) return kEmpty;
        lengths_.push_back({static_cast<std::uint32_t>(slot), 0});
        return lengths_.size() - 1;
    }
    void Note(std::size_t at, std::uint32_t n) {
        if (at != kEmpty) lengths_[at].length = n;
    }

    void MeasureRecord(int depth) {
        if (depth > kMaxObjectNesting) Invalid();
        Count();
        if (c_.Peek() >= 0xF0 && (c_.Byte() & 2)) MeasureValue(depth);
        c_.ShortName();
        c_.ShortName();
        std::size_t slot = Slot();
        std::uint32_t n = 0;
        for (; c_.Peek() != 0; ++n) {
            c_.ShortName();
            MeasureValue(depth);
        }
        Note(slot, n);
        ++c_.at_;
        slot = Slot();
        for (n = 0; c_.Peek() != 0; ++n) MeasureRecord(depth + 1);
        Note(slot, n);
        ++c_.at_;
    }

    void MeasureValue(int depth) {
        if (depth > kMaxObjectNesting) Invalid();
        Count();
        switch (static_cast<ValueTag>(c_.Byte())) {
        case ValueTag::Null:
        case ValueTag::False:
        case ValueTag::True:
        case ValueTag::Nil:
            break;
        case ValueTag::List: {
            const std::size_t slot = Slot();
            std::uint32_t n = 0;
            for (; c_.Peek() != 0; ++n) MeasureValue(depth + 1);
            Note(slot, n);
            ++c_.at_;
            break;
        }
        case ValueTag::Int8:
            c_.Take(1);
            break;
        case ValueTag::Int16:
            c_.Take(2);
            break;
        case ValueTag::Int32:
        case ValueTag::Single:
            c_.Take(4);
            break;
        case ValueTag::Int64:
        case ValueTag::Currency:
        case ValueTag::Date:
            c_.Take(8);
            break;
        case ValueTag::Extended:
            c_.Take(10);
            break;
        case ValueTag::String:
        case ValueTag::Ident:
            c_.ShortName();
            break;
        case ValueTag::LString:
        case ValueTag::Utf8String:
        case ValueTag::Binary:
            c_.Take(c_.Length32());
            break;
        case ValueTag::WString:
            c_.Take(c_.WideLength());
            break;
        case ValueTag::Set: {
            const std::size_t slot = Slot();
            std::uint32_t n = 0;
            for (; !c_.ShortName().empty(); ++n) Count();
            Note(slot, n);
            break;
        }
        case ValueTag::Collection:
            // Rare and small: the second pass grows these as it goes.
            while (c_.Peek() != 0) {
                if (c_.Peek() != 1) MeasureValue(depth + 1);
                if (c_.Byte() != 1) Invalid();
                while (c_.Peek() != 0) {
                    c_.ShortName();
                    MeasureValue(depth + 1);
                }
                ++c_.at_;
            }
            ++c_.at_;
            break;
        default:
            Invalid();
        }
    }

    // ------------------------------------------------ second pass: the tree

    // The length the first pass noted for the sequence starting now (none where it gave up).
    std::size_t Length() {
        const std::size_t slot = next_++;
        if (noted_ < lengths_.size() && lengths_[noted_].slot == slot)
            return lengths_[noted_++].length;
        return 0;
    }

    TObjectRecord Record(int depth) {
        if (depth > kMaxObjectNesting) Invalid();
        Count();
        TObjectRecord r;
        if (c_.Peek() >= 0xF0) {
            r.hasPrefix = true;
            r.prefixFlags = static_cast<std::uint8_t>(c_.Byte() & 0x0F);
            if (r.prefixFlags & 2) {
                TValue v = Value(depth);
                if (!v.IsInteger()) Invalid();
                r.SetPosition(v);
            }
        }
        r.className = c_.ShortName();
        r.name = c_.ShortName();
        r.properties.reserve(Length());
        while (c_.Peek() != 0) {
            // Made in place: moving a value in showed in the profile.
            TPropertyRecord& prop = r.properties.emplace_back();
            prop.name = c_.ShortName();
            try {
                prop.value = Value(depth);
            } catch (const Exception& e) {
                throw EReadError(
                    formatMessage(Msg::ErrorReading, {r.name.empty() ? r.className : r.name, ".",
                                                      prop.name, e.Message()}));
            }
        }
        ++c_.at_;
        r.children.reserve(Length());
        while (c_.Peek() != 0) r.children.push_back(Record(depth + 1));
        ++c_.at_;
        return r;
    }

    TValue Value(int depth) {
        if (depth > kMaxObjectNesting) Invalid();
        Count();
        TValue v;
        const std::uint8_t tag = c_.Byte();
        v.tag = static_cast<ValueTag>(tag);
        switch (v.tag) {
        case ValueTag::Null:
        case ValueTag::False:
        case ValueTag::True:
        case ValueTag::Nil:
            break;
        case ValueTag::List: {
            const std::size_t n = Length();
            if (n || c_.Peek() != 0) {
                auto& items = v.Items();
                items.reserve(n);
                while (c_.Peek() != 0) items.push_back(Value(depth + 1));
            }
            ++c_.at_;
            break;
        }
        case ValueTag::Int8:
            v.integer = c_.Little(1);
            break;
        case ValueTag::Int16:
            v.integer = c_.Little(2);
            break;
        case ValueTag::Int32:
            v.integer = c_.Little(4);
            break;
        case ValueTag::Int64:
        case ValueTag::Currency:
            v.integer = c_.Little(8);
            break;
        case ValueTag::Extended:
            v.bytes = c_.Take(10);
            break;
        case ValueTag::Single:
            v.bytes = c_.Take(4);
            break;
        case ValueTag::Date:
            v.bytes = c_.Take(8);
            break;
        case ValueTag::String:
        case ValueTag::Ident:
            v.bytes = c_.ShortName();
            break;
        case ValueTag::LString:
        case ValueTag::Utf8String:
            v.bytes = c_.Take(c_.Length32());
            break;
        case ValueTag::Binary:
            if (borrow_)
                v.Borrow(c_.Take(c_.Length32()));
            else
                v.bytes = c_.Take(c_.Length32());
            break;
        case ValueTag::WString:
            v.bytes = c_.Take(c_.WideLength());
            break;
        case ValueTag::Set: {
            const std::size_t n = Length();
            auto& members = v.Members();
            members.reserve(n);
            for (std::string_view m; !(m = c_.ShortName()).empty();) {
                Count();
                members.emplace_back(m);
            }
            break;
        }
        case ValueTag::Collection: {
            auto& elements = v.Elements();
            while (c_.Peek() != 0) {
                TCollectionElement e;
                if (c_.Peek() != 1) {
                    TValue order = Value(depth + 1);
                    if (!order.IsInteger()) Invalid();
                    e.order.push_back(std::move(order));
                }
                if (c_.Byte() != 1) Invalid();
                while (c_.Peek() != 0) {
                    TPropertyRecord prop;
                    prop.name = c_.ShortName();
                    prop.value = Value(depth + 1);
                    e.properties.push_back(std::move(prop));
                }
                ++c_.at_;
                elements.push_back(std::move(e));
            }
            ++c_.at_;
            break;
        }
        default:
            Invalid();
        }
        return v;
    }

    Cursor c_;
    bool borrow_;
    std::size_t max_;
    std::size_t count_ = 0;
    struct Noted {
        std::uint32_t slot;
        std::uint32_t length;
    };
    std::vector<Noted> lengths_; // in the order the sequences begin
    std::size_t slots_ = 0;      // sequences the first pass has begun
    std::size_t next_ = 0;       // sequences the second pass has begun
    std::size_t noted_ = 0;      // entries of lengths_ it has used
};

// ---------------------------------------------------------------- writing

class Serializer {
public:
    std::string out;

    void Record(const TObjectRecord& r) {
        if (r.hasPrefix) {
            out += static_cast<char>(0xF0 | (r.prefixFlags & 0x0F));
            if ((r.prefixFlags & 2) && r.HasPosition()) Value(r.PositionValue());
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
            for (const auto& i : v.Items()) Value(i);
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
            for (const auto& m : v.Members()) ShortName(m);
            out += '\0';
            break;
        case ValueTag::Collection:
            for (const auto& e : v.Elements()) {
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

TObjectRecord ParseObjectStream(std::string_view bytes, bool borrowBinaries, std::size_t* length,
                                std::size_t maxRecords) {
    Parser p(bytes, borrowBinaries, maxRecords);
    TObjectRecord root = p.Read();
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
