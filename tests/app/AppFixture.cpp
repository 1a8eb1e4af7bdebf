#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "app/WindowClasses.h"
#include "framework/Events.h"
#include "framework/ui/Application.h"
#include "framework/ui/Font.h"
#include "framework/text/TextEncoding.h"

#include <QWidget>

#include <memory>

namespace apptest {

std::function<int(QWidget&)> RecordingDialogs::realLoop;

int RecordingDialogs::RunModal(QWidget& window) {
    r_->modalWindows.push_back(window.objectName());
    return realLoop ? realLoop(window) : 2;
}

void RecordingDialogs::ExecMenu(QMenu&, const QPoint& globalPos) {
    r_->menus.push_back(globalPos);
}

bool RecordingDialogs::ChooseFont(QFont& font, QColor& color, QWidget*) {
    return r_->chooseFont && r_->chooseFont(font, color);
}

bool RecordingDialogs::ChooseColor(QColor& color, QWidget*) {
    return r_->chooseColor && r_->chooseColor(color);
}

Recorded& SetUpProgram(const std::string& argument) {
    static Recorded recorded;
    recorded = Recorded{};
    auto& app = orlenth::TApplication::Instance();
    std::vector<const char*> argv{"orlenth"};
    if (!argument.empty()) argv.push_back(argument.c_str());
    app.SetArguments(static_cast<int>(argv.size()), argv.data());
    const QByteArray title = orlenth::TOrlenth::ApplicationTitle();
    app.SetTitle(orlenth::GbkToUnicode(title.toStdString()));
    orlenth::SetEventDispatcher([](const std::function<void()>& call) {
        orlenth::TApplication::Instance().Dispatch(call);
    });
    orlenth::SetDialogs(std::make_unique<RecordingDialogs>(&recorded));
    orlenth::InstallFontSubstitutions();
    orlenth::RegisterWindowClasses();
    return recorded;
}

QByteArray Gbk(const char* utf8) {
    return QByteArray::fromStdString(orlenth::UnicodeToGbk(QString::fromUtf8(utf8)));
}

} // namespace apptest
