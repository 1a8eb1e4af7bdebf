#pragma once
// A folder of work in progress that must not outlive the tool: when SIGTERM, SIGINT or
// SIGHUP ends the tool while it stands, the folder is removed first, and the tool then ends
// by that signal as it would have.

#include <filesystem>
#include <functional>

namespace orlenth::tool {

class TRemoveOnSignal {
public:
    // Holds the signals off from here on: they reach a thread of their own, which acts on
    // them. Make this before the folder, so that no signal falls between the two.
    TRemoveOnSignal();
    // No folder to remove any more; a signal from now on ends the tool at once.
    ~TRemoveOnSignal();
    TRemoveOnSignal(const TRemoveOnSignal&) = delete;
    TRemoveOnSignal& operator=(const TRemoveOnSignal&) = delete;

    // Makes the folder a signal removes (`make` returns it), with no moment between the two.
    void Watch(const std::function<std::filesystem::path()>& make);
    // Runs `step` whole: a signal that comes meanwhile acts once it is done. For the steps
    // that must not stop halfway (putting what was made in place, or taking it back).
    void Undisturbed(const std::function<void()>& step);
};

} // namespace orlenth::tool
