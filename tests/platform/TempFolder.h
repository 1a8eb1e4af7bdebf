#pragma once
// A scratch folder per test, removed afterwards, with helpers that take names as bytes
// so that names which are not UTF-8 can be made.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace orlenth::platform::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orlenth-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

    std::string WriteFile(std::string_view name, std::string_view bytes) const {
        const std::string p = *this / name;
        std::ofstream out(p, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) ADD_FAILURE() << "cannot write " << p;
        return p;
    }
    std::string MakeFolder(std::string_view name) const {
        const std::string p = *this / name;
        if (::mkdir(p.c_str(), 0755) != 0) ADD_FAILURE() << "cannot make " << p;
        return p;
    }
    std::string MakeLink(std::string_view name, const std::string& target) const {
        const std::string p = *this / name;
        if (::symlink(target.c_str(), p.c_str()) != 0) ADD_FAILURE() << "cannot link " << p;
        return p;
    }
    std::string MakeFifo(std::string_view name) const {
        const std::string p = *this / name;
        if (::mkfifo(p.c_str(), 0644) != 0) ADD_FAILURE() << "cannot make FIFO " << p;
        return p;
    }
    // A socket in the file system: an entry that is neither missing nor a folder, and
    // that open() refuses even for root.
    std::string MakeSocket(std::string_view name) const {
        const std::string p = *this / name;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (p.size() >= sizeof addr.sun_path) {
            ADD_FAILURE() << "socket path too long: " << p;
            return p;
        }
        std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
            ADD_FAILURE() << "cannot bind " << p;
        if (fd >= 0) ::close(fd);
        return p;
    }

private:
    std::string path_;
};

// A folder nested below `base` whose path is longer than `minBytes`.
inline std::string MakeDeepFolder(const std::string& base, std::size_t minBytes) {
    std::string p = base;
    const std::string step(60, 'd');
    while (p.size() <= minBytes) {
        p += step + "/";
        if (::mkdir(p.c_str(), 0755) != 0) ADD_FAILURE() << "cannot make " << p;
    }
    return p;
}

// Test rows name themselves; gtest wants the name from the row.
struct RowName {
    template <class Param> std::string operator()(const ::testing::TestParamInfo<Param>& i) const {
        return i.param.name;
    }
};

} // namespace orlenth::platform::testing
