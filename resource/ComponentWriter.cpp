#include "resource/ComponentWriter.h"

#include "framework/Component.h"
#include "framework/Filer.h"
#include "framework/IntegerIdents.h"
#include "framework/Stream.h"
#include "resource/ObjectStream.h"
#include "resource/PropertyKinds.h"

#include <QByteArrayList>
#include <QMetaProperty>

namespace orlenth {

namespace {

void writePublished(TComponent& c, TObjectRecord& r) {
    const QMetaObject* mo = c.metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty prop = mo->property(i);
        if (!prop.isStored() || !prop.isReadable()) continue;
        const QVariant value = prop.read(&c);
        const char* def = PropertyClassInfo(mo, "Default", prop.name());
        TValue v;
        if (prop.isEnumType()) {
            const QMetaEnum e = prop.enumerator();
            const int n = value.toInt();
            if (def && e.keyToValue(def) == n) continue;
            if (prop.isFlagType()) {
                v.tag = ValueTag::Set;
                for (int k = 0; k < e.keyCount(); ++k)
                    if (e.value(k) != 0 && (n & e.value(k)) == e.value(k))
                        v.Members().emplace_back(e.key(k));
            } else {
                v = MakeIdentValue(e.valueToKey(n) ? e.valueToKey(n) : "");
            }
        } else if (prop.metaType().id() == QMetaType::QByteArray) {
            const QByteArray b = value.toByteArray();
            if (b.isEmpty()) continue;
            v = MakeTextValue(std::string_view(b.constData(), static_cast<std::size_t>(b.size())));
        } else if (prop.metaType().id() == QMetaType::Bool) {
            if (def && (std::string_view(def) == "true") == value.toBool()) continue;
            v = MakeBooleanValue(value.toBool());
        } else if (IsIntegerType(prop.metaType().id())) {
            if (def && std::stoll(def) == value.toLongLong()) continue;
            v = MakeIntegerValue(static_cast<std::int32_t>(value.toLongLong()));
            // A value with a name in the property's table is written by its name.
            if (const char* table = PropertyClassInfo(mo, "Idents", prop.name()))
                if (auto ident = IntegerToIdent(table, value.toInt())) v = MakeIdentValue(*ident);
        } else if (prop.metaType().id() == QMetaType::QByteArrayList) {
            const QByteArrayList lines = value.value<QByteArrayList>();
            if (lines.isEmpty()) continue;
            v.tag = ValueTag::List;
            for (const auto& l : lines)
                v.Items().push_back(MakeTextValue(
                    std::string_view(l.constData(), static_cast<std::size_t>(l.size()))));
        } else if (auto* ref = qobject_cast<TComponent*>(value.value<QObject*>())) {
            // A reference to another component is stored by that component's name; one to
            // a component this one owns is a field, which the owned one's record restores.
            if (ref->Name().empty() || ref->Owner() == &c) continue;
            v = MakeIdentValue(ref->Name());
        } else {
            continue; // sub-objects are written through their dotted properties by their owners
        }
        r.properties.push_back({prop.name(), std::move(v)});
    }
}

class DefinedWriter final : public TFiler {
public:
    explicit DefinedWriter(TObjectRecord& r) : r_(r) {}
    void DefineBinaryProperty(std::string_view name, BinaryProc, BinaryProc write,
                              bool hasData) override {
        if (!hasData) return;
        TMemoryStream m;
        write(m);
        r_.properties.push_back({std::string(name), MakeBinaryValue(m.TakeString())});
    }
    void DefineIntegerProperty(std::string_view name, IntegerReadProc, IntegerWriteProc write,
                               bool hasData) override {
        if (hasData) r_.properties.push_back({std::string(name), MakeIntegerValue(write())});
    }

private:
    TObjectRecord& r_;
};

TObjectRecord writeRecord(TComponent& c, TComponent* root) {
    TObjectRecord r;
    r.className = c.ClassName();
    r.name = c.Name();
    writePublished(c, r);
    DefinedWriter defined(r);
    c.DefineProperties(defined);
    c.GetChildren([&](TComponent* child) { r.children.push_back(writeRecord(*child, root)); },
                  root);
    return r;
}

} // namespace

TObjectRecord WriteComponent(TComponent& component) {
    return writeRecord(component, &component);
}

} // namespace orlenth
