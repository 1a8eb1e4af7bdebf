#pragma once
// The class registry: stored descriptions name classes, and the reader creates them from
// here. A class is found by its exact name.

#include <functional>
#include <string>
#include <string_view>

namespace orlenth {

class TComponent;

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

// Registers (or re-registers) a class under its name. Thread-unsafe by design: classes
// are registered on the GUI thread before descriptions are read.
void RegisterClass(const std::string& name, TComponentFactory factory);
// Registers T under its class name; T must be constructible from its owner.
template <class T> void RegisterClass() {
    RegisterClass(T::staticMetaObject.className(),
                  [](TComponent* owner) -> TComponent* { return new T(owner); });
}
// The factory of a registered class, or null when the name is unknown.
const TComponentFactory* FindClass(std::string_view name);

} // namespace orlenth
