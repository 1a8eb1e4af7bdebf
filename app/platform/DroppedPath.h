#pragma once
// What a drag and drop onto the reader hands it to open.

#include <optional>
#include <string>

class QMimeData;

namespace orlenth::platform {

// The path of the first URL in the drop that names a local file (a file: URL), as the
// file-system bytes for opening it: the path QUrl::toLocalFile gives ("//host" before it
// when the URL names a host), with its percent escapes decoded to bytes as they stand, so
// that a name that is not UTF-8 (a GBK name escaped byte by byte) comes back as those bytes.
// Whether it is a file or a folder, or exists at all, is the caller's to find out: nothing
// is looked up.
//
// Later URLs are ignored, and so are URLs before the first local one that are not local
// (http:, ftp:, ...), whose local path is empty, or whose path holds a NUL byte ("%00":
// opened, the name would end there). nullopt when no URL qualifies: no URL list at all
// (text, pictures), an empty drop, only remote URLs. Otherwise the path is taken as the URL
// spells it: "..", "%2F" and control characters come back as the bytes they decode to,
// never resolved or refused here. Never throws.
std::optional<std::string> DroppedPath(const QMimeData& data);

} // namespace orlenth::platform
