#include "framework/ui/Application.h"

#include "framework/Errors.h"
#include "framework/ui/Dialogs.h"

#include <QApplication>
#include <QThread>

namespace orlenth {

TApplication& TApplication::Instance() {
    static TApplication app;
    return app;
}

bool TApplication::Dispatch(const std::function<void()>& handler) {
    const int level = QThread::currentThread()->loopLevel();
    if (!handlerLevels_.empty() && handlerLevels_.back() == level) {
        handler();
        return true;
    }
    handlerLevels_.push_back(level);
    struct Pop {
        std::vector<int>& levels;
        ~Pop() { levels.pop_back(); }
    };
    try {
        Pop pop{handlerLevels_};
        handler();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowUnknownException();
    }
    return false;
}

void TApplication::SetArguments(int argc, const char* const* argv) {
    args_.clear();
    for (int i = 0; i < argc; ++i) args_.emplace_back(argv[i] ? argv[i] : "");
}

QString ErrorBoxText(const std::string& message) {
    // Messages carry names from files and streams; a control byte in one must not break
    // the box's lines or hide what follows.
    std::string text = EscapeControls(message);
    if (!text.empty()) {
        // The last character's first byte: its lead byte when it is a multi-byte one.
        std::size_t last = text.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
        if (static_cast<unsigned char>(text[last]) > static_cast<unsigned char>('.')) text += '.';
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void TApplication::ShowException(const std::exception& e) {
    TMessageBoxRequest r;
    r.owner = QApplication::activeWindow();
    r.text = ErrorBoxText(e.what());
    r.caption = title_;
    r.icon = TMessageIcon::Stop;
    Dialogs().MessageBox(r);
}

void TApplication::ShowUnknownException() {
    TMessageBoxRequest r;
    r.owner = QApplication::activeWindow();
    r.text = ErrorBoxText("");
    r.caption = title_;
    Dialogs().MessageBox(r);
}

} // namespace orlenth
