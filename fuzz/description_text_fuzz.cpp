// The description text as pack reads it, on arbitrary bytes, with a folder of files to
// name (a file, a picture, a collection). Any fault is EDescriptionError naming the file
// and line, nothing else. And whatever it accepts, the stream says: it reads back, dump
// prints it, and packing that text again gives the same bytes.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "resource/DescriptionText.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <fstream>
#include <string>
#include <string_view>

namespace {

const FuzzFolder& root() {
    static const FuzzFolder folder("description-text");
    return folder;
}

void put(const std::string& rel, std::string_view bytes) {
    std::filesystem::create_directories((root() / rel).parent_path());
    std::ofstream(root() / rel, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// "FILE:LINE: ..." (the text's own name, or a catalogue's path).
bool namesAPlace(std::string_view m) {
    for (std::size_t colon = m.find(':'); colon != std::string_view::npos;
         colon = m.find(':', colon + 1)) {
        std::size_t end = colon + 1;
        while (end < m.size() && m[end] >= '0' && m[end] <= '9') ++end;
        if (end > colon + 1 && m.substr(end, 2) == ": ") return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orlenth::RegisterLibraryClasses();
    put("a.bin", "\x01\x02\x03");
    put("p.jpg", std::string_view("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11));
    put("c/catalogue.tsv", "1\t1.txt\t\xE7\xAC\xAC\xE4\xB8\x80\t\n2\t2.txt\ttwo\tabout\n");
    put("c/1.txt", "\xE4\xB8\xAD\xE6\x96\x87\nline\n");
    put("c/2.txt", "");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orlenth::TParseOptions options;
    options.baseDir = root().path();
    options.fileName = "fuzz.txt";
    orlenth::TDescription d;
    try {
        d = orlenth::ParseDescription(text, options);
    } catch (const orlenth::EDescriptionError& e) {
        if (!namesAPlace(e.Message())) FuzzFailure("a description error names no file and line");
        return 0;
    }
    const std::string bytes = orlenth::SerializeDescription(d);
    std::size_t used = 0;
    orlenth::TObjectRecord back;
    try {
        back = orlenth::ParseObjectStream(bytes, false, &used);
    } catch (const orlenth::Exception&) {
        FuzzFailure("a packed stream does not read");
    }
    if (used + d.trailing.size() != bytes.size())
        FuzzFailure("a packed stream's root record ends elsewhere than the text's");
    if (orlenth::SerializeObjectStream(back) != bytes.substr(0, used))
        FuzzFailure("a packed stream reads back as something else");
    orlenth::TPrintOptions print;
    print.trailing = d.trailing;
    const std::string dumped = orlenth::PrintDescriptionText(back, print);
    try {
        if (orlenth::SerializeDescription(orlenth::ParseDescription(dumped, options)) != bytes)
            FuzzFailure("packing the dump of a packed text gives other bytes");
    } catch (const orlenth::Exception&) {
        FuzzFailure("the dump of a packed text does not pack");
    }
    return 0;
}
