// dump --files on arbitrary object streams: the printer writes pictures and collection
// folders into a folder of its own, and the text it prints, read from there, packs back
// to the very bytes it was given. It writes nothing but its pictures and collections.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "resource/DescriptionText.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <string>
#include <string_view>

namespace {

const FuzzFolder& folder() {
    static const FuzzFolder f("dump-files");
    return f;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orlenth::RegisterLibraryClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    orlenth::TObjectRecord root;
    std::size_t used = 0;
    try {
        root = orlenth::ParseObjectStream(bytes, true, &used);
    } catch (const orlenth::Exception&) {
        return 0;
    }
    folder().Clear();
    orlenth::TPrintOptions print;
    print.filesDir = folder().path();
    print.trailing = bytes.substr(used);
    const std::string text = orlenth::PrintDescriptionText(root, print);
    for (const auto& e : std::filesystem::directory_iterator(folder().path())) {
        const std::string name = e.path().filename().string();
        if ((name != "pictures" && name != "collection") || !e.is_directory())
            FuzzFailure("dump wrote something besides its pictures and collections");
    }
    orlenth::TParseOptions parse;
    parse.baseDir = folder().path();
    parse.fileName = "dump.txt";
    try {
        if (orlenth::SerializeDescription(orlenth::ParseDescription(text, parse)) != bytes)
            FuzzFailure("the text and files dump wrote pack to other bytes");
    } catch (const orlenth::Exception&) {
        FuzzFailure("the text and files dump wrote do not pack");
    }
    return 0;
}
