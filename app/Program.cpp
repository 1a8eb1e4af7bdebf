#include "app/Program.h"

#include "app/ProgramIcon.h"
#include "app/Unit1main.h"
#include "app/WindowClasses.h"
#include "framework/Events.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Font.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace orlenth {

namespace {

// Without a person to answer them, screenshots must not wait on a modal window: the
// splash closes at once and messages go to standard error.
class UnattendedDialogs final : public TDialogs {
public:
    void MessageBox(const TMessageBoxRequest& r) override {
        std::fprintf(stderr, "orlenth: %s\n", r.text.toLocal8Bit().constData());
    }
    int RunModal(QWidget&) override { return 2; }
};

// The program speaks Chinese whatever the desktop's language, and so do the dialogs Qt
// draws for it (font, colour, message boxes). Without Qt's translations installed they stay
// in English, which is no reason to stop.
void InstallQtTranslations() {
    static QTranslator* installed = nullptr;
    if (installed) return;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
}

} // namespace

void SetUpProgram(int argc, const char* const* argv) {
    TApplication& app = TApplication::Instance();
    app.SetArguments(argc, argv);
    const QByteArray title = TOrlenth::ApplicationTitle();
    app.SetTitle(
        GbkToUnicode(std::string_view(title.constData(), static_cast<std::size_t>(title.size()))));
    QApplication::setApplicationDisplayName(app.Title());
    QApplication::setWindowIcon(ProgramIcon());
    InstallQtTranslations();
    SetEventDispatcher(
        [](const std::function<void()>& call) { TApplication::Instance().Dispatch(call); });
    InstallFontSubstitutions();
    RegisterWindowClasses();
    InstallAccessibility();
}

int RunProgram(int argc, const char* const* argv) {
    TApplication& app = TApplication::Instance();
    const QByteArray screenshot = qgetenv("ORLENTH_SCREENSHOT");
    try {
        // 1–2. The application object and its title.
        SetUpProgram(argc, argv);
        if (!screenshot.isEmpty()) SetDialogs(std::make_unique<UnattendedDialogs>());
        // 3. The main window; building it reads the library and runs FormCreate.
        auto form = std::make_unique<TOrlenth>();
        TCustomForm::SetMainForm(form.get());
        form->Show();
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(0, form->Widget(), [&] {
                const QPixmap shot = form->Widget()->grab();
                if (!shot.save(QString::fromLocal8Bit(screenshot), "PNG"))
                    std::fprintf(stderr, "orlenth: cannot write %s\n", screenshot.constData());
                QApplication::quit();
            });
        }
        // 4. The loop, until the main window closes.
        QApplication::exec();
    } catch (const std::exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowUnknownException();
    }
    // 5.
    return 0;
}

} // namespace orlenth
