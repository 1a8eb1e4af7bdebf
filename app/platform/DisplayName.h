#pragma once
// File-system names as the user sees them. The bytes stay the key for opening the
// file; this is only their face.

#include <QString>

#include <string_view>

namespace orlenth::platform {

// `bytes` decoded as UTF-8, the file-system encoding here. A name that is no valid UTF-8
// but valid GB18030 (as archives made on Windows unpack, in GBK) is decoded from GB18030
// instead. A name valid in neither is decoded as UTF-8 with each byte that is not part of
// a valid sequence as one U+FFFD, so it still shows as a row, and names differing in
// length stay different.
QString DisplayName(std::string_view bytes);

} // namespace orlenth::platform
