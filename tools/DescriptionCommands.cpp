// pack, dump, check: description texts and object streams.

#include "tools/Command.h"

#include "framework/Component.h"
#include "framework/Errors.h"
#include "library/WJKStringList.h"
#include "resource/DescriptionText.h"
#include "resource/DescriptionTextPaths.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"
#include "tools/InputBytes.h"
#include "tools/IoFailure.h"
#include "tools/OutputFile.h"
#include "tools/StagedFolder.h"
#include "tools/StandardStreams.h"
#include "tools/TextBudget.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace orlenth::tool {

namespace {

// The arguments of one command: options that take a value, and the names left over.
struct Arguments {
    std::map<std::string, std::string> options;
    std::vector<std::string> names;
};

Arguments parseArguments(std::span<char*> args, std::initializer_list<std::string_view> options,
                         std::size_t maxNames) {
    Arguments a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i];
        bool option = false;
        for (std::string_view o : options)
            if (arg == o) option = true;
        if (option && i + 1 < args.size())
            a.options[arg] = args[++i];
        else if (option || a.names.size() == maxNames)
            throw UsageError{(option ? "'" + arg + "' needs a value"
                                     : "unexpected argument '" + EscapeControls(arg) + "'")};
        else
            a.names.push_back(arg);
    }
    return a;
}

std::int64_t maxBytes(const Arguments& a) {
    const auto it = a.options.find("--max-bytes");
    return it == a.options.end() ? kDefaultMaxBytes : ParseByteCount(it->second);
}

// The value of --max-records: how many records and values a stream or text may hold.
std::size_t maxRecords(const Arguments& a) {
    const auto it = a.options.find("--max-records");
    if (it == a.options.end()) return kDefaultMaxRecords;
    const std::string& n = it->second;
    if (n.empty() || n.size() > 12 || n.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError{"--max-records takes a number of records, not '" + EscapeControls(n) +
                         "'"};
    return static_cast<std::size_t>(std::stoull(n));
}

int pack(std::span<char*> args) {
    const Arguments a = parseArguments(args, {"-o", "--root", "--max-records"}, 1);
    if (a.names.empty()) throw UsageError{"name the description text to pack"};
    const std::string& in = a.names[0];
    const TInputBytes text = ReadInput(in);
    TParseOptions options;
    options.baseDir = std::filesystem::path(in).parent_path();
    if (options.baseDir.empty()) options.baseDir = ".";
    if (const auto root = a.options.find("--root"); root != a.options.end())
        options.rootDir = root->second;
    options.fileName = in;
    options.maxRecords = maxRecords(a);
    const std::string bytes = SerializeDescription(ParseDescription(text, options));
    if (const auto out = a.options.find("-o"); out != a.options.end())
        WriteOutputFile(out->second, bytes);
    else
        WriteAllStdout(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

// The names dump --files turns into file and folder names: the root's class and the
// names of containers with items. Any that cannot serve as one is refused before anything
// is written.
void checkFileNames(const TObjectRecord& r, bool root) {
    const auto refuse = [](const char* what, const std::string& name) {
        throw UsageError{std::string(what) + " \"" + EscapeControls(name) +
                         "\" cannot serve as a file name (one name of 1 to " +
                         std::to_string(kMaxFileNameBytes) +
                         " bytes, without '/', '\\', control characters, '.' or '..')"};
    };
    if (root && !IsSafeFileName(r.className + ".txt")) refuse("the root class", r.className);
    if (r.className == "TWJKStringList" && !r.children.empty() && !r.name.empty() &&
        !IsSafeFileName(r.name))
        refuse("the container", r.name);
    for (const auto& c : r.children) checkFileNames(c, false);
}

int dump(std::span<char*> args) {
    const Arguments a = parseArguments(args, {"--files", "--max-bytes", "--max-records"}, 1);
    const std::int64_t limit = maxBytes(a);
    const std::size_t records = maxRecords(a);
    const TInputBytes bytes = ReadInput(a.names.empty() ? "" : a.names[0]);
    std::size_t used = 0;
    const TObjectRecord root = ParseObjectStream(bytes, true, &used, records);
    TPrintOptions options;
    options.trailing = std::string_view(bytes).substr(used);
    const auto files = a.options.find("--files");
    if (files == a.options.end()) {
        const std::string text = PrintDescriptionText(root, options);
        WriteAllStdout(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        return 0;
    }
    checkFileNames(root, true);
    CheckTextBudget(root, limit);
    TStagedFolder folder(files->second);
    options.filesDir = folder.Stage();
    const std::string text = PrintDescriptionText(root, options);
    const auto path = folder.Stage() / (root.className + ".txt");
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f) throw EFOpenError::forFile(path.string());
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int err = errno;
    if (std::fclose(f) != 0 || !written) throw WriteFailure(path.string(), written ? errno : err);
    for (const auto& placed : folder.Commit())
        if (placed.extension() == ".txt")
            std::printf("%s\n", EscapeControls(placed.string()).c_str());
    return 0;
}

void countRecords(const TObjectRecord& r, std::map<std::string, int>& classes,
                  std::map<int, int>& tags) {
    ++classes[r.className];
    for (const auto& p : r.properties) ++tags[static_cast<int>(p.value.tag)];
    for (const auto& c : r.children) countRecords(c, classes, tags);
}

int check(std::span<char*> args) {
    const Arguments a = parseArguments(args, {"--max-bytes", "--max-records"}, 1);
    const std::int64_t limit = maxBytes(a);
    const std::size_t records = maxRecords(a);
    const TInputBytes bytes = ReadInput(a.names.empty() ? "" : a.names[0]);
    {
        // Gone before the reader makes its own tree and the library.
        std::size_t used = 0;
        const TObjectRecord root = ParseObjectStream(bytes, true, &used, records);
        CheckTextBudget(root, limit);
        std::map<std::string, int> classes;
        std::map<int, int> tags;
        countRecords(root, classes, tags);
        std::printf("stream: %zu bytes, root %s \"%s\", %zu object records\n", bytes.size(),
                    EscapeControls(root.className).c_str(), EscapeControls(root.name).c_str(),
                    root.CountRecords());
        if (used < bytes.size())
            std::printf("%zu bytes after the root record, which the reader does not read\n",
                        bytes.size() - used);
        std::printf("classes:");
        for (const auto& [name, n] : classes)
            std::printf(" %s %d", EscapeControls(name).c_str(), n);
        std::printf("\nvalue tags of properties:");
        for (const auto& [tag, n] : tags) std::printf(" %d:%d", tag, n);
        std::printf("\n");
    }
    TComponent owner;
    const TLibrary lib = LoadLibrary(bytes, owner, false, records);
    for (std::size_t c = 0; c < lib.size(); ++c) {
        if (!lib[c]) continue;
        std::size_t text = 0;
        for (int i = 0; i < lib[c]->GetCount(); ++i)
            text += lib[c]->GetArrayItem(i)->GetList().TextSize();
        std::printf("WJKStringList%zu: %d items, %d catalogue lines, %zu bytes of text\n", c,
                    lib[c]->GetCount(),
                    lib[c]->GetCount() ? lib[c]->GetArrayItem(0)->GetList().Count() : 0, text);
    }
    return 0;
}

const Command kDescriptionCommands[] = {
    {"pack", "DESCRIPTION.txt [-o OUT] [--root DIR] [--max-records N]",
     "a description text (with its pictures and collection, which must lie inside DIR, by "
     "default the text's folder) to an object stream",
     pack},
    {"dump", "[--files DIR] [--max-bytes N] [--max-records N] [STREAM]",
     "an object stream to description text; with --files, pictures and item texts as new "
     "files in DIR",
     dump},
    {"check", "[--max-bytes N] [--max-records N] [STREAM]",
     "reads an object stream through the reader and reports what it holds, or the error; "
     "item texts restoring to more than N bytes (default 1G), or more than N records and "
     "values (default 1048576), are refused",
     check},
};

} // namespace

std::span<const Command> DescriptionCommands() {
    return kDescriptionCommands;
}

} // namespace orlenth::tool
