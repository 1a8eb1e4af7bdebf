// The framing readers on arbitrary bytes, read from a buffer of exactly their size so that
// a read just past the end is caught. Every reader of a compressed stream walks the same
// framing: restoring into a stream or a text, counting, checking at once or through block
// checks, from a stream that hands out its bytes in place and from one that cannot. They
// must agree on the verdict, on the bytes restored (or counted) and on where the stream
// ends.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "framework/Stream.h"
#include "library/BlockChecks.h"
#include "library/CompressedStream.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace {

// A stream over bytes that only copies them out: ReadInPlace gives nothing, as for a file.
class CopyingStream final : public orlenth::TStream {
public:
    CopyingStream(const std::uint8_t* data, std::int64_t n) : data_(data), size_(n) {}
    std::int64_t Read(void* buffer, std::int64_t n) override {
        const std::int64_t k = std::max<std::int64_t>(0, std::min(n, size_ - pos_));
        if (k > 0) std::memcpy(buffer, data_ + pos_, static_cast<std::size_t>(k));
        pos_ += k;
        return k;
    }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, Origin origin) override {
        const std::int64_t base = origin == Origin::Begin ? 0
                                  : origin == Origin::End ? size_
                                                          : pos_;
        pos_ = std::max<std::int64_t>(0, base + offset);
        return pos_;
    }
    std::int64_t Size() override { return size_; }

private:
    const std::uint8_t* data_;
    std::int64_t size_;
    std::int64_t pos_ = 0;
};

// What one reader made of the stream: whether it read it, the bytes it restored (or their
// number) and where it left the source.
struct Outcome {
    bool ok = false;
    std::string bytes;
    std::int64_t count = 0;
    std::int64_t end = 0;
};

template <class Read> Outcome run(orlenth::TStream& source, Read&& read) {
    Outcome o;
    try {
        read(source, o);
        o.ok = true;
        o.end = source.Position();
    } catch (const orlenth::EReadError&) {
    }
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto exact = std::make_unique<std::uint8_t[]>(size);
    if (size) std::memcpy(exact.get(), data, size);
    const auto n = static_cast<std::int64_t>(size);
    const auto view = [&] { return orlenth::TViewStream(exact.get(), n); };

    auto s1 = view();
    const Outcome intoStream = run(s1, [](orlenth::TStream& s, Outcome& o) {
        orlenth::TMemoryStream dest;
        try {
            orlenth::LoadCompressedStream(s, dest);
        } catch (...) {
            o.bytes.assign(reinterpret_cast<const char*>(dest.Memory()),
                           static_cast<std::size_t>(dest.Size()));
            throw;
        }
        o.bytes.assign(reinterpret_cast<const char*>(dest.Memory()),
                       static_cast<std::size_t>(dest.Size()));
    });
    auto s2 = view();
    const Outcome intoText =
        run(s2, [](orlenth::TStream& s, Outcome& o) { orlenth::LoadCompressedStream(s, o.bytes); });
    CopyingStream s3(exact.get(), n);
    const Outcome copied = run(s3, [](orlenth::TStream& s, Outcome& o) {
        orlenth::TMemoryStream dest;
        orlenth::LoadCompressedStream(s, dest);
        o.bytes.assign(reinterpret_cast<const char*>(dest.Memory()),
                       static_cast<std::size_t>(dest.Size()));
    });
    auto s4 = view();
    const Outcome counted = run(s4, [](orlenth::TStream& s, Outcome& o) {
        orlenth::CountCompressedStream(s, o.count, std::numeric_limits<std::int64_t>::max());
    });
    auto s5 = view();
    const Outcome checked =
        run(s5, [](orlenth::TStream& s, Outcome&) { orlenth::CheckCompressedStream(s); });
    auto s6 = view();
    const Outcome checkedLater = run(s6, [](orlenth::TStream& s, Outcome&) {
        orlenth::TBlockChecks checks;
        orlenth::CheckCompressedStream(s);
        checks.Finish();
    });

    for (const Outcome* o : {&intoText, &copied, &counted, &checked, &checkedLater})
        if (o->ok != intoStream.ok) FuzzFailure("the framing readers disagree on the verdict");
    if (!intoStream.ok) return 0;
    if (intoText.bytes != intoStream.bytes || copied.bytes != intoStream.bytes)
        FuzzFailure("the framing readers restore different bytes");
    if (counted.count != static_cast<std::int64_t>(intoStream.bytes.size()))
        FuzzFailure("counting disagrees with restoring");
    for (const Outcome* o : {&intoText, &copied, &counted, &checked, &checkedLater})
        if (o->end != intoStream.end) FuzzFailure("the framing readers end in different places");
    if (intoStream.end < 4 || intoStream.end > n) FuzzFailure("the stream ends outside the source");
    return 0;
}
