#pragma once
// Byte streams: the one stream abstraction that the library, the object stream and the
// tools share. Positions and counts are 64-bit byte offsets from the start.

#include <cstdint>
#include <string>
#include <vector>

namespace orlenth {

class TStream {
public:
    enum class Origin { Begin, Current, End };

    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to n bytes into buffer and returns how many arrived (0 at the end).
    // Never throws; n <= 0 reads nothing.
    virtual std::int64_t Read(void* buffer, std::int64_t n) = 0;
    // Writes up to n bytes and returns how many were taken. Never throws.
    virtual std::int64_t Write(const void* buffer, std::int64_t n) = 0;
    // Moves the position and returns the new one. A target before the start is clamped
    // to 0; a target past the end is allowed (reads there return nothing).
    virtual std::int64_t Seek(std::int64_t offset, Origin origin) = 0;
    virtual std::int64_t Size();

    // Exact transfers: EReadError "Stream read error" / EWriteError "Stream write error"
    // unless all n bytes move. n <= 0 does nothing. After a short read the bytes that did
    // arrive are in buffer and the position is after them.
    void ReadExact(void* buffer, std::int64_t n);
    void WriteExact(const void* buffer, std::int64_t n);

    std::int64_t Position() { return Seek(0, Origin::Current); }
    void SetPosition(std::int64_t p) { Seek(p, Origin::Begin); }
    // Bytes from the position to the end (0 when the position is past the end).
    std::int64_t Remaining();
    // For streams over bytes in memory: the next n bytes in place, the position moved past
    // them; null (and nothing moved) when fewer remain or the stream has no such bytes.
    virtual const std::uint8_t* ReadInPlace(std::int64_t n);
    // Whether the bytes ReadInPlace hands out stay where they are for the rest of the
    // program, so that a reader may keep views into them instead of copies.
    virtual bool Lasting() const { return false; }
};

// A growable stream in memory. Writing past the end extends it; a gap left by a seek past
// the end reads as zero bytes.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(const std::vector<std::uint8_t>& bytes)
        : bytes_(bytes.begin(), bytes.end()) {}
    explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}
    TMemoryStream(const void* data, std::int64_t n);

    std::int64_t Read(void* buffer, std::int64_t n) override;
    std::int64_t Write(const void* buffer, std::int64_t n) override;
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::uint8_t* ReadInPlace(std::int64_t n) override;

    // New bytes are zero; the position is kept, also when it now lies past the end.
    void SetSize(std::int64_t n);
    void Clear();
    // Direct access to all Size() bytes. Valid until the next call that changes the size.
    std::uint8_t* Memory() { return reinterpret_cast<std::uint8_t*>(bytes_.data()); }
    const std::uint8_t* Memory() const {
        return reinterpret_cast<const std::uint8_t*>(bytes_.data());
    }
    // A copy of the bytes.
    std::vector<std::uint8_t> Bytes() const { return {Memory(), Memory() + bytes_.size()}; }
    const std::string& String() const { return bytes_; }
    // Hands the bytes over without a copy and leaves the stream empty.
    std::string TakeString();

private:
    std::string bytes_;
    std::int64_t pos_ = 0;
};

// Reads bytes that belong to someone else, without copying them; they must outlive the
// stream. Writing is refused (returns 0).
class TViewStream final : public TStream {
public:
    // `lasting`: the caller knows that the bytes live as long as the program (see Lasting).
    TViewStream(const void* data, std::int64_t n, bool lasting = false)
        : data_(static_cast<const std::uint8_t*>(data)), size_(n), lasting_(lasting) {}

    std::int64_t Read(void* buffer, std::int64_t n) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, Origin origin) override;
    std::int64_t Size() override { return size_; }
    const std::uint8_t* ReadInPlace(std::int64_t n) override;
    bool Lasting() const override { return lasting_; }

private:
    const std::uint8_t* data_;
    std::int64_t size_;
    std::int64_t pos_ = 0;
    bool lasting_;
};

// A file opened for reading or created for writing. Opening fails with EFOpenError
// "Cannot open file %s" naming the path as given (also for a folder). The path is taken
// as bytes, never re-encoded.
class TFileStream final : public TStream {
public:
    enum class Mode { Read, Create };
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t n) override;
    std::int64_t Write(const void* buffer, std::int64_t n) override;
    std::int64_t Seek(std::int64_t offset, Origin origin) override;

private:
    int fd_ = -1;
};

// The whole content of a file: EFOpenError when it cannot be opened, EReadError when it
// cannot be read to its end.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

} // namespace orlenth
