// pack, dump, check: description texts and object streams.

#include "tools/Command.h"

#include "framework/Component.h"
#include "framework/Errors.h"
#include "library/WJKStringList.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace orlenth::tool {

namespace {

int pack(std::span<char*> args) {
    std::string in, out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        if (a == "-o" && i + 1 < args.size())
            out = args[++i];
        else if (in.empty())
            in = a;
        else
            throw UsageError{"unexpected argument '" + a + "'"};
    }
    if (in.empty()) throw UsageError{"name the description text to pack"};
    const std::string text = ReadInput(in);
    const std::filesystem::path base = std::filesystem::path(in).parent_path();
    const std::string bytes =
        SerializeObjectStream(ParseDescriptionText(text, base.empty() ? "." : base, in));
    if (out.empty()) {
        WriteAllStdout(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } else {
        // Written beside and renamed, so that a failed pack never leaves half a stream.
        const std::string tmp = out + ".part";
        {
            std::ofstream f(tmp, std::ios::binary);
            f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!f) throw EWriteError();
        }
        std::filesystem::rename(tmp, out);
    }
    return 0;
}

int dump(std::span<char*> args) {
    std::string in, files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        if (a == "--files" && i + 1 < args.size())
            files = args[++i];
        else if (in.empty())
            in = a;
        else
            throw UsageError{"unexpected argument '" + a + "'"};
    }
    const TObjectRecord root = ParseObjectStream(ReadInput(in));
    TPrintOptions options;
    options.filesDir = files;
    if (!files.empty()) std::filesystem::create_directories(files);
    const std::string text = PrintDescriptionText(root, options);
    if (files.empty()) {
        WriteAllStdout(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    } else {
        const auto path = std::filesystem::path(files) / (root.className + ".txt");
        std::ofstream(path, std::ios::binary) << text;
        std::printf("%s\n", path.string().c_str());
    }
    return 0;
}

void countRecords(const TObjectRecord& r, std::map<std::string, int>& classes,
                  std::map<int, int>& tags) {
    ++classes[r.className];
    for (const auto& p : r.properties) ++tags[static_cast<int>(p.value.tag)];
    for (const auto& c : r.children) countRecords(c, classes, tags);
}

int check(std::span<char*> args) {
    if (args.size() > 1) throw UsageError{"unexpected argument '" + std::string(args[1]) + "'"};
    const std::string bytes = ReadInput(args.empty() ? "" : args[0]);
    const TObjectRecord root = ParseObjectStream(bytes);
    std::map<std::string, int> classes;
    std::map<int, int> tags;
    countRecords(root, classes, tags);
    std::printf("stream: %zu bytes, root %s \"%s\", %zu object records\n", bytes.size(),
                root.className.c_str(), root.name.c_str(), root.CountRecords());
    std::printf("classes:");
    for (const auto& [name, n] : classes) std::printf(" %s %d", name.c_str(), n);
    std::printf("\nvalue tags of properties:");
    for (const auto& [tag, n] : tags) std::printf(" %d:%d", tag, n);
    std::printf("\n");
    TComponent owner;
    const TLibrary lib = LoadLibrary(bytes, owner);
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
    {"pack", "DESCRIPTION.txt [-o OUT]",
     "a description text (with its pictures and collection) to an object stream", pack},
    {"dump", "[--files DIR] [STREAM]",
     "an object stream to description text; with --files, pictures and item texts as files", dump},
    {"check", "[STREAM]",
     "reads an object stream through the reader and reports what it holds, or the error", check},
};

} // namespace

std::span<const Command> DescriptionCommands() {
    return kDescriptionCommands;
}

} // namespace orlenth::tool
