#pragma once
// The component base shared by every object a stored description can create: it has an
// owner, a name and a tag, and destroys the components it owns when it is destroyed.
// Published properties are Qt properties, so one reflection mechanism serves every class.

#include "framework/Events.h"
#include "framework/Persistent.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orlenth {

class TFiler;
class TReader;

class TComponent : public TPersistent {
    Q_OBJECT
    // The name travels in the record's head, never as a property.
    Q_PROPERTY(QByteArray Name READ NameBytes WRITE SetNameBytes STORED false)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_CLASSINFO("Default.Tag", "0")

public:
    using ChildProc = std::function<void(TComponent*)>;

    // The new component is appended to the owner's components (owner may be null).
    explicit TComponent(TComponent* owner = nullptr);
    // Destroys every owned component, the last-inserted first, then leaves its owner.
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // EListError "List index out of bounds (%d)" for a bad index.
    TComponent* Component(int index) const;
    // The owned component of that name (byte-exact, as names are ASCII identifiers and
    // stored names are compared case-insensitively only by the platform we replace), or
    // null. Never throws.
    TComponent* FindComponent(const std::string& name) const;
    // Ownership moves: the component leaves its old owner, if any, and joins this one.
    void InsertComponent(TComponent* component);
    // The component stays alive and is no longer owned by this one.
    void RemoveComponent(TComponent* component);

    // ---- object-stream hooks
    // Reads this component's record through the reader: properties, then children.
    // A class that adds work to reading itself overrides this and calls the base first.
    virtual void ReadState(TReader& reader);
    // Declares the designer position Left and Top of a component without a place on
    // screen (stored when not 0); controls, which have real positions, opt out.
    void DefineProperties(TFiler& filer) override;
    virtual bool HasDesignPosition() const { return true; }
    std::int32_t DesignLeft() const { return designLeft_; }
    std::int32_t DesignTop() const { return designTop_; }
    void SetDesignPosition(std::int32_t left, std::int32_t top) {
        designLeft_ = left;
        designTop_ = top;
    }
    // Enumerates the children a writer writes after this component's properties.
    virtual void GetChildren(const ChildProc& proc, TComponent* root);
    // The owner given to children read from this component's record; null: the reader's.
    virtual TComponent* GetChildOwner();
    // End-of-loading notification; clears the loading mark.
    virtual void Loaded();
    // Binds a named component this one owns, just read from its description, to the field
    // of the same name: a writable Qt property whose type is a pointer to the component's
    // class (or a base of it). A name without such a field is left unbound, as a window
    // may own components it never refers to.
    virtual void BindField(const std::string& name, TComponent* component);

    // ---- events
    // Binds the event NAME (declared with Q_CLASSINFO("Event.NAME", PARAMETERS)) to a method
    // of target; an invalid method unbinds it. A method whose parameters are not the event's
    // throws EReadError naming both: bound, the event would do nothing without a word.
    void BindEvent(const std::string& name, QObject* target, const QMetaMethod& method);
    const TEventBinding* Event(const std::string& name) const;
    // Calls the handler bound to the event, if any, through the dispatch point, passing
    // the arguments given (Q_ARG values). Returns whether a handler was bound.
    template <class... Args> bool Fire(const std::string& name, Args... args) {
        const TEventBinding* b = Event(name);
        if (!b || !*b) return false;
        const TEventBinding binding = *b;
        DispatchEvent(
            [&] { binding.method.invoke(binding.target.data(), Qt::DirectConnection, args...); });
        return true;
    }

    bool IsLoading() const { return loading_; }
    void SetLoading() { loading_ = true; }
    bool IsDestroying() const { return destroying_; }

private:
    QByteArray NameBytes() const { return QByteArray::fromStdString(name_); }
    void SetNameBytes(const QByteArray& n) { SetName(n.toStdString()); }

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::string name_;
    std::int32_t tag_ = 0;
    std::map<std::string, TEventBinding, std::less<>> events_;
    std::int32_t designLeft_ = 0;
    std::int32_t designTop_ = 0;
    bool loading_ = false;
    bool destroying_ = false;
};

} // namespace orlenth
