#include "framework/Component.h"

#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/Filer.h"

#include <QMetaProperty>

#include <algorithm>

namespace orlenth {

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    // Owned components first, newest first, so that nothing outlives what it refers to.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
    // The library's hundreds of items are nameless: nothing to tell Qt.
    if (name.empty() && name_.empty() && objectName().isEmpty()) return;
    name_ = name;
    setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

TComponent* TComponent::Component(int index) const {
    if (index < 0 || index >= ComponentCount()) throw EListError::indexOutOfBounds(index);
    return components_[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (c->name_ == name) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end()) return;
    components_.erase(it);
    component->owner_ = nullptr;
}

void TComponent::ReadState(TReader& reader) {
    reader.ReadProperties(*this);
    reader.ReadChildren(*this);
}

void TComponent::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    if (!HasDesignPosition()) return;
    filer.DefineIntegerProperty(
        "Left", [this](std::int32_t v) { designLeft_ = v; }, [this] { return designLeft_; },
        designLeft_ != 0);
    filer.DefineIntegerProperty(
        "Top", [this](std::int32_t v) { designTop_ = v; }, [this] { return designTop_; },
        designTop_ != 0);
}

void TComponent::GetChildren(const ChildProc&, TComponent*) {}

TComponent* TComponent::GetChildOwner() {
    return nullptr;
}

void TComponent::Loaded() {
    loading_ = false;
}

void TComponent::BindField(const std::string& name, TComponent* component) {
    const int index = metaObject()->indexOfProperty(name.c_str());
    if (index < 0) return;
    const QMetaProperty field = metaObject()->property(index);
    const QMetaObject* type = field.metaType().metaObject();
    if (!(field.metaType().flags() & QMetaType::PointerToQObject) || !type ||
        !component->metaObject()->inherits(type))
        return;
    field.write(this, QVariant::fromValue(static_cast<QObject*>(component)));
}

void TComponent::BindEvent(const std::string& name, QObject* target, const QMetaMethod& method) {
    if (!target || !method.isValid()) {
        events_.erase(name);
        return;
    }
    if (!HandlerFits(*this, name, method))
        throw EReadError(formatMessage(Msg::MethodMismatch, {method.name().toStdString(), name}));
    events_[name] = TEventBinding{target, method};
}

const TEventBinding* TComponent::Event(const std::string& name) const {
    const auto it = events_.find(name);
    return it == events_.end() ? nullptr : &it->second;
}

} // namespace orlenth
