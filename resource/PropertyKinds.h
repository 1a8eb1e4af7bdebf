#pragma once
// How the object stream sees a Qt property's type; shared by the reader and the writer so
// that both agree on what a property is.

#include <QMetaProperty>

#include <string>

namespace orlenth {

// An integer property of any width and signedness.
inline bool IsIntegerType(int metaTypeId) {
    switch (metaTypeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// A value a class declares for one of its properties with Q_CLASSINFO("KIND.PROPERTY",
// value): "Default" gives the default, "Idents" the table of named values. Null if none.
inline const char* PropertyClassInfo(const QMetaObject* mo, const char* kind,
                                     const char* property) {
    const std::string key = std::string(kind) + "." + property;
    const int i = mo->indexOfClassInfo(key.c_str());
    return i >= 0 ? mo->classInfo(i).value() : nullptr;
}

} // namespace orlenth
