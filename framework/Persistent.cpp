#include "framework/Persistent.h"

#include "framework/Errors.h"

namespace orlenth {

std::string TPersistent::ClassName() const {
    std::string n = metaObject()->className();
    const auto p = n.rfind("::");
    return p == std::string::npos ? n : n.substr(p + 2);
}

void TPersistent::Assign(const TPersistent* source) {
    throw EConvertError::cannotAssign(source ? source->ClassName() : "nil", ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

} // namespace orlenth
