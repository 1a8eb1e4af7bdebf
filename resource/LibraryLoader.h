#pragma once
// The article library out of the main window's stored description: the five category
// containers, each item decoded while its "Internal" is read.

#include "resource/ObjectStream.h"

#include <array>
#include <string_view>

namespace orlenth {

class TComponent;
class TWJKStringList;

using TLibrary = std::array<TWJKStringList*, 5>;

// Reads the whole stream (every record is parsed, so a damage anywhere is found), creates
// a container owned by `owner` for each record of class TWJKStringList named
// WJKStringList0 to WJKStringList4, wherever it stands, and fills it through the component
// reader. Returns them by category; a category without its record is null. Errors are
// those of ParseObjectStream and ReadComponent; containers made before the error stay
// owned by `owner`. With `lasting` the caller vouches that the stream's bytes live as long
// as the program (the embedded description): the items then keep their texts packed in
// those bytes until first used, after checking every one of them; the error is then the
// same as without, the first fault in the stream's order. `maxRecords` bounds the
// records and values as ParseObjectStream's does.
TLibrary LoadLibrary(std::string_view stream, TComponent& owner, bool lasting = false,
                     std::size_t maxRecords = kDefaultMaxRecords);

// Finishes the block checks of item records read from lasting bytes (see TBlockChecks): a
// damaged block is the error it would have been while its item was read, "Error reading
// TWJKStringListItem.Internal: Stream read error".
class TBlockChecks;
void FinishItemRecordChecks(TBlockChecks& checks);

// Registers the library's classes in the class registry (idempotent).
void RegisterLibraryClasses();

} // namespace orlenth
