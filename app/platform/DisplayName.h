#pragma once
// File-system names as the user sees them. The bytes stay the key for opening the
// file; this is only their face.

#include <QString>

#include <string_view>

namespace orlenth::platform {

// `bytes` decoded as UTF-8, the file-system encoding here. Each byte that is not part of
// a valid sequence becomes one U+FFFD, so a name that is not UTF-8 still shows as a row,
// and names differing in length stay different.
QString DisplayName(std::string_view bytes);

} // namespace orlenth::platform
