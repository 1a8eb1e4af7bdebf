#include "app/platform/DisplayName.h"

namespace orlenth::platform {

QString DisplayName(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace orlenth::platform
