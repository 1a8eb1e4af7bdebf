// The object-stream reader on arbitrary bytes: parsing, filling the library's containers
// from what parses, and the description text, which must carry any parsed stream back to
// the same bytes.

#include "FuzzTarget.h"

#include "framework/Component.h"
#include "framework/Errors.h"
#include "resource/DescriptionText.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    orlenth::TObjectRecord root;
    try {
        root = orlenth::ParseObjectStream(bytes);
    } catch (const orlenth::Exception&) {
        return 0;
    }
    const std::string again = orlenth::SerializeObjectStream(root);
    if (bytes.substr(0, again.size()) != again)
        FuzzFailure("a parsed stream does not serialize to its bytes");
    try {
        const orlenth::TObjectRecord back =
            orlenth::ParseDescriptionText(orlenth::PrintDescriptionText(root), ".", "fuzz");
        if (orlenth::SerializeObjectStream(back) != again)
            FuzzFailure("the description text changed the stream");
    } catch (const orlenth::Exception& e) {
        FuzzFailure("a parsed stream's description text does not parse");
    }
    try {
        orlenth::TComponent owner;
        orlenth::LoadLibrary(bytes, owner);
    } catch (const orlenth::Exception&) {
    }
    return 0;
}
