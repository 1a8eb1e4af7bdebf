#pragma once
// The root of everything a stored description can fill: objects with published (Qt)
// properties and, beyond them, stored properties they declare themselves. Sub-objects
// reached by dotted property names ("Font.Name") derive from this too.

#include <QObject>

#include <string>

namespace orlenth {

class TFiler;

class TPersistent : public QObject {
    Q_OBJECT
public:
    explicit TPersistent(QObject* parent = nullptr) : QObject(parent) {}

    // The class name as stored descriptions write it (no namespace).
    std::string ClassName() const;

    // Copies source into this object. Here every source is refused with EConvertError
    // "Cannot assign a %s to a %s" (source class or "nil", this class); classes that can
    // copy override it.
    virtual void Assign(const TPersistent* source);
    // Declares stored properties beyond the published ones; nothing here.
    virtual void DefineProperties(TFiler& filer);
};

} // namespace orlenth
