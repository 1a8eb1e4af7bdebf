#include "framework/ui/Strings.h"

#include "framework/Errors.h"

namespace orlenth {

void TStrings::SetStrings(const QByteArrayList& strings) {
    strings_ = strings;
    emit Changed();
}

const QByteArray& TStrings::Get(int index) const {
    if (index < 0 || index >= Count()) throw EListError::indexOutOfBounds(index);
    return strings_[index];
}

int TStrings::Add(const QByteArray& line) {
    strings_.append(line);
    emit Changed();
    return Count() - 1;
}

void TStrings::Clear() {
    if (strings_.isEmpty()) return;
    strings_.clear();
    emit Changed();
}

void TStrings::Assign(const TPersistent* source) {
    if (const auto* s = qobject_cast<const TStrings*>(source)) {
        SetStrings(s->strings_);
        return;
    }
    TPersistent::Assign(source);
}

} // namespace orlenth
