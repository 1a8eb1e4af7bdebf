#pragma once
// The common base of the article library's components: a change event and an update flag.

#include "framework/Component.h"

#include <functional>

namespace orlenth {

using TNotifyEvent = std::function<void(TComponent* sender)>;

class TWJKCustomComponent : public TComponent {
    Q_OBJECT
public:
    explicit TWJKCustomComponent(TComponent* owner = nullptr) : TComponent(owner) {}

    TNotifyEvent OnChange;

    void BeginUpdate() { updating_ = true; }
    // Clears the update flag and, when notify is true, runs the change notification.
    void EndUpdate(bool notify);
    bool IsUpdating() const { return updating_; }

    // Raises the change event, unless an update is in progress.
    virtual void Change(TComponent* sender);

private:
    bool updating_ = false;
};

} // namespace orlenth
