// The folder category on a real folder (the first byte picks the part):
// - a folder made of the input's names (files and folders): the listing holds exactly the
//   names that end in ".txt" in any letter case, each once, in reading order;
// - the command-line argument, written from the input as a path of names among a small tree
//   (folders, files, a link to a folder, a dangling link, ".", "..", names that are not
//   there), relative or from the root: the folder to list is the folder the kernel finds for
//   the argument (or for its folder part, the rest being the file to open first), ends in
//   '/', starts at the root and has a name of its own; none exactly when there is none.

#include "FuzzTarget.h"

#include "app/platform/FolderArgument.h"
#include "app/platform/FolderListing.h"
#include "app/platform/FolderPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string gRoot;

bool EndsInTxt(std::string_view name) {
    if (name.size() < 4) return false;
    std::string tail(name.substr(name.size() - 4));
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return tail == ".txt";
}

void CheckListing(std::string_view input, bool folders) {
    const std::string folder = gRoot + "/list";
    fs::remove_all(folder);
    fs::create_directory(folder);
    std::set<std::string> made;
    for (std::size_t at = 0; at <= input.size() && made.size() < 16;) {
        std::size_t end = input.find_first_of(std::string_view("/\n\0", 3), at);
        if (end == std::string_view::npos) end = input.size();
        const std::string name(input.substr(at, std::min<std::size_t>(end - at, 200)));
        at = end + 1;
        if (name.empty() || name == "." || name == ".." || made.count(name)) continue;
        const std::string path = folder + "/" + name;
        if (folders ? ::mkdir(path.c_str(), 0700) != 0 : !std::ofstream(path)) continue;
        made.insert(name);
    }
    std::vector<std::string> expected;
    for (const std::string& n : made)
        if (EndsInTxt(n)) expected.push_back(n);
    orlenth::platform::SortForReading(expected);
    if (orlenth::platform::ListTextEntries(folder + "/") != expected)
        FuzzFailure("the listing is not the folder's .txt names in reading order");
    if (!orlenth::platform::ListTextEntries(folder + "/missing/").empty())
        FuzzFailure("a missing folder lists something");
}

// The same file or folder, as the kernel finds the two paths.
bool SameEntry(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool IsFolder(const std::string& p) {
    struct stat st {};
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CheckArgument(std::string_view input) {
    static constexpr std::string_view kNames[] = {"d",        "sub", "f.txt", "x.txt", "link",
                                                  "dangling", ".",   "..",    "nope",  ""};
    std::string arg = input.empty() || input[0] & 1 ? "" : gRoot + "/";
    for (std::size_t i = 0; i < input.size() && i < 8; ++i) {
        if (i > 0) arg += '/';
        arg += kNames[static_cast<std::uint8_t>(input[i]) / 2 % std::size(kNames)];
    }
    const orlenth::platform::FolderTarget got = orlenth::platform::LocateFolderArgument(arg);

    std::string folder, file;
    if (IsFolder(arg)) {
        folder = arg;
    } else if (!arg.empty()) {
        const std::size_t slash = arg.rfind('/');
        folder = slash == std::string::npos ? "." : arg.substr(0, slash + 1);
        file = slash == std::string::npos ? arg : arg.substr(slash + 1);
        if (!IsFolder(folder)) folder.clear(), file.clear();
    }
    if (folder.empty() != got.folder.empty())
        FuzzFailure("a folder where the kernel finds none, or none where it finds one");
    if (folder.empty()) return;
    if (!SameEntry(folder, got.folder)) FuzzFailure("the folder is not the one the argument names");
    if (got.file != file) FuzzFailure("the file to open is not the rest of the argument");
    if (got.folder.front() != '/' || got.folder.back() != '/' ||
        orlenth::platform::EndsInDotName(got.folder))
        FuzzFailure("a folder not from the root, not ending in '/' or without a name");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/orlenth-fuzz-folder-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    gRoot = pattern;
    fs::create_directories(gRoot + "/d/sub");
    std::ofstream(gRoot + "/d/x.txt") << "x";
    std::ofstream(gRoot + "/f.txt") << "f";
    fs::create_directory_symlink(gRoot + "/d", gRoot + "/link");
    fs::create_symlink(gRoot + "/nowhere", gRoot + "/dangling");
    std::atexit([] { fs::remove_all(gRoot); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        // Relative arguments start from the tree: the working directory is moved there for
        // the check only, as the fuzzer reads its corpus by relative paths.
        const int back = ::open(".", O_RDONLY | O_DIRECTORY);
        const std::string pwd = std::getenv("PWD") ? std::getenv("PWD") : "";
        if (back < 0 || ::chdir(gRoot.c_str()) != 0) std::abort();
        ::setenv("PWD", gRoot.c_str(), 1);
        CheckArgument(input);
        ::setenv("PWD", pwd.c_str(), 1);
        if (::fchdir(back) != 0) std::abort();
        ::close(back);
    } else
        CheckListing(input, data[0] & 2);
    return 0;
}
