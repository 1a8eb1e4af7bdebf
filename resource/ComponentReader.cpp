#include "resource/ComponentReader.h"

#include "framework/ClassRegistry.h"
#include "framework/Component.h"
#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/Filer.h"
#include "framework/IntegerIdents.h"
#include "framework/Stream.h"
#include "resource/ObjectStream.h"
#include "resource/PropertyKinds.h"

#include <QByteArrayList>
#include <QMetaProperty>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace orlenth {

namespace {

EReadError invalidValue() {
    return EReadError(formatMessage(Msg::InvalidPropertyValue));
}

// Sets one published property from a value, by the property's type.
void writePublished(QObject& obj, const QMetaProperty& prop, const TValue& v) {
    QVariant value;
    if (prop.isEnumType()) {
        const QMetaEnum e = prop.enumerator();
        if (prop.isFlagType()) {
            if (v.tag != ValueTag::Set) throw invalidValue();
            int bits = 0;
            for (const auto& m : v.Members()) {
                bool ok = false;
                const int bit = e.keyToValue(m.c_str(), &ok);
                if (!ok) throw invalidValue();
                bits |= bit;
            }
            value = bits;
        } else {
            std::string key;
            switch (v.tag) {
            case ValueTag::Ident:
                key = v.bytes;
                break;
            case ValueTag::False:
                key = "False";
                break;
            case ValueTag::True:
                key = "True";
                break;
            case ValueTag::Null:
                key = "Null";
                break;
            case ValueTag::Nil:
                key = "nil";
                break;
            default:
                throw invalidValue();
            }
            bool ok = false;
            const int n = e.keyToValue(key.c_str(), &ok);
            if (!ok) throw invalidValue();
            value = n;
        }
    } else {
        switch (prop.metaType().id()) {
        case QMetaType::QByteArray: {
            const std::string gbk = TextValueToGbk(v);
            value = QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()));
            break;
        }
        case QMetaType::Bool:
            if (v.tag == ValueTag::True || v.tag == ValueTag::False)
                value = v.tag == ValueTag::True;
            else if (v.tag == ValueTag::Ident && (v.bytes == "True" || v.bytes == "False"))
                value = v.bytes == "True";
            else
                throw invalidValue();
            break;
        case QMetaType::QByteArrayList: {
            if (v.tag != ValueTag::List) throw invalidValue();
            QByteArrayList lines;
            for (const auto& item : v.Items()) {
                const std::string gbk = TextValueToGbk(item);
                lines.append(QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size())));
            }
            value = QVariant::fromValue(lines);
            break;
        }
        default:
            if (!IsIntegerType(prop.metaType().id())) throw invalidValue();
            if (v.tag == ValueTag::Ident) {
                // An integer with named values: the class names the table it uses.
                const char* table = PropertyClassInfo(obj.metaObject(), "Idents", prop.name());
                const auto n = table ? IdentToInteger(table, v.bytes) : std::nullopt;
                if (!n) throw invalidValue();
                value = *n;
                break;
            }
            if (!v.IsInteger()) throw invalidValue();
            value = static_cast<int>(v.integer);
            break;
        }
    }
    if (!prop.write(&obj, value)) throw invalidValue();
}

class TreeReader final : public TReader {
public:
    TreeReader(TComponent& root, bool lasting) : root_(root), lasting_(lasting) {}

    void Read(const TObjectRecord& record) {
        root_.SetName(record.name);
        root_.SetLoading();
        loaded_.push_back(&root_);
        records_.push_back(&record);
        root_.ReadState(*this);
        records_.pop_back();
        ResolveReferences();
        for (TComponent* c : loaded_) c->Loaded();
    }

    TComponent* Parent() const override { return parents_.empty() ? nullptr : parents_.back(); }

    void ReadProperties(TComponent& component) override {
        const TObjectRecord& r = *records_.back();
        for (const auto& p : r.properties) {
            try {
                Apply(component, p);
            } catch (const Exception& e) {
                throw EReadError(
                    formatMessage(Msg::ErrorReading,
                                  {r.name.empty() ? component.ClassName() : std::string(r.name),
                                   ".", p.name, e.Message()}));
            }
        }
    }

    void ReadChildren(TComponent& component) override {
        const TObjectRecord& r = *records_.back();
        parents_.push_back(&component);
        for (const auto& child : r.children) {
            const TComponentFactory* make = FindClass(child.className);
            if (!make) throw EClassNotFound(formatMessage(Msg::ClassNotFound, {child.className}));
            TComponent* owner = component.GetChildOwner();
            TComponent* obj = (*make)(owner ? owner : &root_);
            obj->SetName(child.name);
            if (!child.name.empty() && obj->Owner() == &root_) root_.BindField(child.name, obj);
            obj->SetLoading();
            loaded_.push_back(obj);
            records_.push_back(&child);
            obj->ReadState(*this);
            records_.pop_back();
        }
        parents_.pop_back();
    }

    void DefineBinaryProperty(std::string_view name, BinaryProc read, BinaryProc, bool) override {
        if (!pending_ || handled_ || name != pending_->name) return;
        handled_ = true;
        if (pending_->value->tag != ValueTag::Binary) throw invalidValue();
        // A separate stream of just the payload: what the routine leaves unread is dropped.
        // A view, so that a megabyte of item records is not copied before it is decoded.
        const std::string_view data = pending_->value->Data();
        TViewStream payload(data.data(), static_cast<std::int64_t>(data.size()), lasting_);
        read(payload);
    }

    void DefineIntegerProperty(std::string_view name, IntegerReadProc read, IntegerWriteProc,
                               bool) override {
        if (!pending_ || handled_ || name != pending_->name) return;
        handled_ = true;
        if (!pending_->value->IsInteger()) throw invalidValue();
        read(static_cast<std::int32_t>(pending_->value->integer));
    }

private:
    struct Pending {
        std::string name;
        const TValue* value;
    };

    void Apply(TComponent& component, const TPropertyRecord& p) {
        // Walk a dotted name through sub-objects to the object that holds the last part.
        TPersistent* obj = &component;
        std::string_view rest = p.name;
        for (std::size_t dot; (dot = rest.find('.')) != std::string_view::npos;) {
            const std::string part(rest.substr(0, dot));
            const int index = obj->metaObject()->indexOfProperty(part.c_str());
            TPersistent* sub = nullptr;
            if (index >= 0)
                sub = qobject_cast<TPersistent*>(
                    obj->metaObject()->property(index).read(obj).value<QObject*>());
            if (!sub) throw EReadError(formatMessage(Msg::PropertyNotExist, {p.name}));
            obj = sub;
            rest = rest.substr(dot + 1);
        }
        const std::string last(rest);
        const Resolved& how = Resolve(*obj, obj == &component, last);
        // An event: bound by name to a method of the root (the form).
        if (how.event) {
            if (p.value.tag == ValueTag::Nil) {
                component.BindEvent(last, nullptr, {});
                return;
            }
            if (p.value.tag != ValueTag::Ident) throw invalidValue();
            const QMetaMethod m = FindHandler(root_, p.value.bytes);
            if (!m.isValid()) throw EReadError(formatMessage(Msg::MethodNotFound, {p.value.bytes}));
            component.BindEvent(last, &root_, m);
            return;
        }
        if (how.reference) {
            const QMetaProperty prop = obj->metaObject()->property(how.index);
            if (p.value.tag == ValueTag::Nil) {
                if (!prop.write(obj, QVariant::fromValue<QObject*>(nullptr))) throw invalidValue();
                return;
            }
            if (p.value.tag != ValueTag::Ident) throw invalidValue();
            // The component named may come later in the description: resolved at the end.
            const TObjectRecord& r = *records_.back();
            references_.push_back({obj, prop, p.value.bytes,
                                   r.name.empty() ? component.ClassName() : std::string(r.name),
                                   p.name});
            return;
        }
        // Unstored properties are read too: a window stores either its size or its client
        // size, and both are properties.
        if (how.writable) {
            writePublished(*obj, obj->metaObject()->property(how.index), p.value);
            return;
        }
        Pending pending{last, &p.value};
        pending_ = &pending;
        handled_ = false;
        try {
            obj->DefineProperties(*this);
        } catch (...) {
            pending_ = nullptr;
            throw;
        }
        pending_ = nullptr;
        if (!handled_) throw EReadError(formatMessage(Msg::PropertyNotExist, {p.name}));
    }

    // What a property name is on a class. Looked up once per class and name: a library
    // holds hundreds of items of one class that name the same few properties, and the
    // lookups through reflection showed in the profile.
    struct Resolved {
        bool event = false; // only for a name on the component itself, not a sub-object
        int index = -1;
        bool reference = false;
        bool writable = false;
    };
    const Resolved& Resolve(const QObject& obj, bool own, const std::string& name) {
        auto key = std::make_tuple(reinterpret_cast<std::uintptr_t>(obj.metaObject()), own, name);
        if (const auto it = resolved_.find(key); it != resolved_.end()) return it->second;
        Resolved r;
        r.event = own && DeclaresEvent(obj, name);
        r.index = obj.metaObject()->indexOfProperty(name.c_str());
        if (r.index >= 0) {
            const QMetaProperty prop = obj.metaObject()->property(r.index);
            r.reference = IsComponentReference(prop);
            r.writable = prop.isWritable();
        }
        return resolved_.emplace(std::move(key), r).first->second;
    }

    // A property that holds another component of the window, stored by that one's name.
    static bool IsComponentReference(const QMetaProperty& prop) {
        const QMetaObject* target = prop.metaType().metaObject();
        return prop.isWritable() && (prop.metaType().flags() & QMetaType::PointerToQObject) &&
               target && target->inherits(&TComponent::staticMetaObject);
    }

    void ResolveReferences() {
        for (const Reference& ref : references_) {
            TComponent* target = ref.name == root_.Name() ? &root_ : root_.FindComponent(ref.name);
            try {
                if (!target) throw EReadError(formatMessage(Msg::ComponentNotFound, {ref.name}));
                // Qt refuses a component of a class the property cannot hold.
                if (!ref.property.write(ref.object, QVariant::fromValue<QObject*>(target)))
                    throw invalidValue();
            } catch (const Exception& e) {
                throw EReadError(formatMessage(
                    Msg::ErrorReading, {ref.recordName, ".", ref.propertyName, e.Message()}));
            }
        }
        references_.clear();
    }

    struct Reference {
        QObject* object;
        QMetaProperty property;
        std::string name;
        std::string recordName;
        std::string propertyName;
    };

    TComponent& root_;
    bool lasting_;
    std::vector<Reference> references_;
    std::map<std::tuple<std::uintptr_t, bool, std::string>, Resolved> resolved_;
    std::vector<const TObjectRecord*> records_;
    std::vector<TComponent*> parents_;
    std::vector<TComponent*> loaded_;
    Pending* pending_ = nullptr;
    bool handled_ = false;
};

} // namespace

void ReadComponent(const TObjectRecord& record, TComponent& target, bool lastingBinaries) {
    TreeReader(target, lastingBinaries).Read(record);
}

} // namespace orlenth
