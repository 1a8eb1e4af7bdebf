#pragma once
// An observer of a container's changes. It knows the container it is registered with and
// leaves it when destroyed; a container that dies first lets go of its links.

#include "library/WJKCustomComponent.h"

namespace orlenth {

class TWJKBaseContainer;

class TWJKChangeLink {
public:
    TWJKChangeLink() = default;
    TWJKChangeLink(const TWJKChangeLink&) = delete;
    TWJKChangeLink& operator=(const TWJKChangeLink&) = delete;
    ~TWJKChangeLink();

    TNotifyEvent OnChange;
    // The container it is registered with, or null.
    TWJKBaseContainer* Sender() const { return sender_; }
    void Change(TComponent* sender) {
        if (OnChange) OnChange(sender);
    }

private:
    friend class TWJKBaseContainer;
    TWJKBaseContainer* sender_ = nullptr;
};

} // namespace orlenth
