#include "tools/IoFailure.h"

#include "framework/Errors.h"

#include <cerrno>
#include <cstring>

namespace orlenth::tool {

std::string IoReason(int err) {
    switch (err) {
    case 0:
        return "an earlier write to it failed";
    case EBADF:
        return "it is closed, or not open that way";
    case ENOSPC:
        return "no space is left on the device";
    case EDQUOT:
        return "the disk quota is used up";
    case EFBIG:
        return "the file would grow past the largest size allowed";
    case EPIPE:
        return "nobody reads the other end any more";
    case EIO:
        return "the device reports an input/output error";
    case EISDIR:
        return "it is a folder";
    case EACCES:
    case EPERM:
        return "no permission";
    case ENOENT:
        return "no such file or folder";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case EROFS:
        return "the file system is read-only";
    case ENOMEM:
        return "not enough memory";
    default:
        return std::string("system error ") + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
}

UsageError ReadFailure(std::string_view what, int err) {
    return UsageError{"cannot read " + EscapeControls(what) + ": " + IoReason(err)};
}

UsageError WriteFailure(std::string_view what, int err) {
    return UsageError{"cannot write " + EscapeControls(what) + ": " + IoReason(err)};
}

} // namespace orlenth::tool
