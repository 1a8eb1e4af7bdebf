#pragma once
// The application object: the title, and the one place where failures of handlers end up.
// No exception ever crosses Qt's event loop: every handler runs through Dispatch, which
// reports what it throws in the error box and lets the loop go on.

#include <QString>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orlenth {

class TApplication {
public:
    static TApplication& Instance();

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    // The command line as the system gave it, bytes unchanged (file names are bytes).
    void SetArguments(int argc, const char* const* argv);
    // Argument i (0: the program), or "" when there are fewer.
    std::string Argument(std::size_t i) const {
        return i < args_.size() ? args_[i] : std::string();
    }

    // Shows the error box for an exception: stop icon, one OK button, the title as caption.
    void ShowException(const std::exception& e);
    // The same for something thrown that is no exception: the empty message.
    void ShowUnknownException();

    // Runs a handler; what it throws is shown in the error box and swallowed. Returns
    // whether the handler ran to its end. A handler called from inside another one (a
    // tab change run by code in a click handler, say) is part of the caller's work: what
    // it throws goes on to the caller, whose remaining steps are skipped too, and is
    // reported once. A handler run by a nested event loop (a modal window's) reports its
    // own failures, so nothing ever crosses an event loop.
    bool Dispatch(const std::function<void()>& handler);

private:
    QString title_;
    // The event-loop level at which each running dispatched handler started.
    std::vector<int> handlerLevels_;
    std::vector<std::string> args_;
};

// The error box's text for a message (UTF-8), control bytes escaped (EscapeControls): a
// "." is appended when the message is not empty and its last character sorts after "." by
// byte value (a character of more than one byte always does). So "Cannot open file /a/b.txt" gains
// a ".", "... (-1)" does not.
QString ErrorBoxText(const std::string& message);

} // namespace orlenth
