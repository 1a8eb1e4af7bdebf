#pragma once
// The bytes of a folder file as the wrap engine gets them. The wrap engine reads GBK;
// GB18030 is used for the conversion so that every UTF-8 character survives, and GBK
// text reads the same under it.

#include <string>
#include <string_view>

namespace orlenth::platform {

// Bytes that are valid UTF-8 and not plain ASCII, with or without a byte-order mark,
// become GB18030 (the mark dropped). Anything else, GBK above all, is returned unchanged.
std::string DisplayBytesOf(std::string_view fileBytes);

// The whole file at `path` through DisplayBytesOf. A file that cannot be opened (a
// folder, a socket, no permission, gone) throws EFOpenError "Cannot open file %s" with
// `path` as given; a read that stops short throws EReadError.
std::string LoadForDisplay(const std::string& path);

} // namespace orlenth::platform
