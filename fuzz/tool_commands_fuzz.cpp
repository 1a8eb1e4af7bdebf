// The companion tool's command layer on arbitrary bytes (the first byte picks the part):
// - the codec and framing commands on stdin and stdout (a file, or a pipe): what frame
//   writes reads back, by the documented layout and the reference block decoder, to the
//   input, in blocks of 32781 bytes but the last; unframe and decompress succeed exactly
//   when that reading does, with its bytes; compress gives a block that restores the input;
// - a command's input read whole from a file and from stdin: the very bytes;
// - a staged folder committed into a folder that holds some names already: refused, with
//   the folder as it was, exactly when a name is taken; otherwise every file is there with
//   its bytes, and nothing else is left behind;
// - an output file written over nothing, a file (its mode kept), a file with two links (both
//   see the bytes), a symbolic link (it stays one) or a folder (refused, left alone).

#include "FuzzTarget.h"
#include "RecordReference.h"

#include "tools/Command.h"
#include "tools/InputBytes.h"
#include "tools/OutputFile.h"
#include "tools/StagedFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using orlenth::tool::Command;

fs::path gRoot;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs `name` with `input` on stdin and stdout on a file or a pipe: its output, or nothing
// when it failed.
std::optional<std::string> Run(std::string_view name, std::string_view input, bool pipeOut) {
    const Command* command = nullptr;
    for (const Command& c : orlenth::tool::CodecCommands())
        if (c.name == name) command = &c;
    if (!command) FuzzFailure("a codec command is missing");
    const fs::path in = gRoot / "stdin", out = gRoot / "stdout";
    Put(in, input);
    const int savedIn = ::dup(STDIN_FILENO), savedOut = ::dup(STDOUT_FILENO);
    const int inFd = ::open(in.c_str(), O_RDONLY);
    ::dup2(inFd, STDIN_FILENO);
    ::close(inFd);
    int pipeFds[2] = {-1, -1};
    std::string piped;
    std::thread reader;
    if (pipeOut) {
        if (::pipe(pipeFds) != 0) FuzzFailure("no pipe");
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[1]);
        reader = std::thread([&] {
            char buf[65536];
            for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
                piped.append(buf, static_cast<std::size_t>(n));
        });
    } else {
        const int outFd = ::open(out.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        ::dup2(outFd, STDOUT_FILENO);
        ::close(outFd);
    }
    char arg0[] = "fuzz";
    char* args[] = {arg0};
    bool ok = true;
    try {
        command->run(std::span<char*>(args, 0));
    } catch (...) {
        ok = false;
    }
    ::dup2(savedIn, STDIN_FILENO);
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedIn);
    ::close(savedOut);
    if (pipeOut) {
        reader.join();
        ::close(pipeFds[0]);
    }
    if (!ok) return std::nullopt;
    return pipeOut ? piped : Slurp(out);
}

void CheckCodec(std::string_view input, bool pipeOut) {
    using record_reference::Bytes;
    const auto framed = Run("frame", input, pipeOut);
    if (!framed) FuzzFailure("frame failed");
    Bytes stream{reinterpret_cast<const std::uint8_t*>(framed->data()), framed->size()};
    if (record_reference::Compressed(stream) != input || stream.at != framed->size())
        FuzzFailure("frame's stream does not read back to its input");
    // Blocks of 32781 bytes but the last: the total, then (size, block) pairs.
    for (std::size_t at = 4, left = input.size(); at < framed->size();) {
        Bytes size{reinterpret_cast<const std::uint8_t*>(framed->data()) + at, 4};
        const auto n = static_cast<std::size_t>(*size.Int32());
        const auto block = reference::decompressChecked(
            reinterpret_cast<const std::uint8_t*>(framed->data()) + at + 4, n);
        if (!block || block->size() != std::min<std::size_t>(left, 32781) || left == 0)
            FuzzFailure("frame's blocks are not of 32781 bytes but the last");
        left -= block->size();
        at += 4 + n;
    }

    Bytes raw{reinterpret_cast<const std::uint8_t*>(input.data()), input.size()};
    auto restored = record_reference::Compressed(raw);
    if (raw.at != input.size()) restored.reset(); // bytes after the stream fail the command
    if (Run("unframe", input, pipeOut) != restored)
        FuzzFailure("unframe differs from reading the stream");

    const auto block = reference::decompressChecked(
        reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    const auto decompressed = Run("decompress", input, pipeOut);
    if (decompressed.has_value() != block.has_value() ||
        (block && *decompressed != std::string(block->begin(), block->end())))
        FuzzFailure("decompress differs from the reference decoder");
    if (input.size() <= 32781) {
        const auto packed = Run("compress", input, pipeOut);
        const auto back =
            packed ? reference::decompressChecked(
                         reinterpret_cast<const std::uint8_t*>(packed->data()), packed->size())
                   : std::nullopt;
        if (!back || std::string(back->begin(), back->end()) != input)
            FuzzFailure("compress gives a block that does not restore its input");
    }
}

void CheckInput(std::string_view input) {
    Put(gRoot / "input", input);
    if (std::string_view(orlenth::tool::ReadInput((gRoot / "input").string())) != input)
        FuzzFailure("an input file read otherwise");
    const int saved = ::dup(STDIN_FILENO), fd = ::open((gRoot / "input").c_str(), O_RDONLY);
    ::dup2(fd, STDIN_FILENO);
    ::close(fd);
    const std::string fromStdin(orlenth::tool::ReadInput("-"));
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    if (fromStdin != input) FuzzFailure("standard input read otherwise");
}

// Names of one to three letters of three, so that they meet.
std::vector<std::string> Names(std::string_view bytes) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at < bytes.size() && names.size() < 6; ++at) {
        const auto b = static_cast<std::uint8_t>(bytes[at]);
        std::string n(1 + b % 3, 'a');
        for (std::size_t i = 0; i < n.size(); ++i)
            n[i] = static_cast<char>('a' + (b >> (2 + 2 * i)) % 3);
        names.push_back(n);
    }
    return names;
}

std::map<std::string, std::string> Listing(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out[e.path().filename().string()] = e.is_regular_file() ? Slurp(e.path()) : "<folder>";
    return out;
}

void CheckStaged(std::string_view input) {
    const fs::path out = gRoot / "out";
    fs::create_directories(out);
    const std::size_t half = input.size() / 2;
    std::map<std::string, std::string> expected;
    for (const std::string& n : Names(input.substr(0, half))) {
        Put(out / n, "old " + n);
        expected[n] = "old " + n;
    }
    const std::map<std::string, std::string> before = expected;
    bool clash = false;
    {
        orlenth::tool::TStagedFolder staged(out);
        for (const std::string& n : Names(input.substr(half))) {
            if (fs::exists(staged.Stage() / n)) continue;
            Put(staged.Stage() / n, "new " + n);
            clash = clash || expected.count(n) > 0;
            expected[n] = "new " + n;
        }
        try {
            staged.Commit();
            if (clash) FuzzFailure("a commit replaced a file that was there");
        } catch (const orlenth::tool::UsageError&) {
            if (!clash) FuzzFailure("a commit without a clash was refused");
        }
    }
    if (Listing(out) != (clash ? before : expected))
        FuzzFailure("the folder does not hold what the commit should leave");
}

void CheckOutputFile(std::string_view input, std::uint8_t kind) {
    const fs::path out = gRoot / "out", target = gRoot / "target", other = gRoot / "other";
    const auto write = [&](const fs::path& p) {
        try {
            orlenth::tool::WriteOutputFile(p.string(), input);
            return true;
        } catch (const orlenth::tool::UsageError&) {
            return false;
        }
    };
    switch (kind % 5) {
    case 0:
        if (!write(out) || Slurp(out) != input) FuzzFailure("a new output file holds otherwise");
        break;
    case 1: {
        Put(out, "old");
        ::chmod(out.c_str(), 0640);
        struct stat st {};
        if (!write(out) || Slurp(out) != input || ::stat(out.c_str(), &st) != 0 ||
            (st.st_mode & 07777) != 0640)
            FuzzFailure("a replaced output file holds otherwise or lost its mode");
        break;
    }
    case 2:
        Put(out, "old");
        fs::create_hard_link(out, other);
        if (!write(out) || Slurp(out) != input || Slurp(other) != input)
            FuzzFailure("a file of two links is not rewritten for both");
        break;
    case 3:
        Put(target, "old");
        fs::create_symlink(target, out);
        if (!write(out) || !fs::is_symlink(out) || Slurp(target) != input)
            FuzzFailure("a link to the output file is not followed, or not kept");
        break;
    default:
        fs::create_directory(out);
        Put(out / "kept", "kept");
        if (write(out) || Listing(out).size() != 1) FuzzFailure("a folder was written over");
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/orlenth-fuzz-tool-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    gRoot = pattern;
    std::atexit([] { fs::remove_all(gRoot); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (const auto& e : fs::directory_iterator(gRoot)) fs::remove_all(e.path());
    switch (data[0] % 4) {
    case 0:
        CheckCodec(input, data[0] & 4);
        break;
    case 1:
        CheckInput(input);
        break;
    case 2:
        CheckStaged(input);
        break;
    default:
        CheckOutputFile(input, data[0] >> 2);
        break;
    }
    return 0;
}
