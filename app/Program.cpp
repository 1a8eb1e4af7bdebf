#include "app/Program.h"

#include "app/ProgramIcon.h"
#include "app/Unit1main.h"
#include "app/WindowClasses.h"
#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Font.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>

namespace orlenth {

namespace {

// Without a person to answer them, screenshots must not wait on a modal window: the
// splash closes at once, nothing is chosen to open and messages go to standard error.
class UnattendedDialogs final : public TDialogs {
public:
    void MessageBox(const TMessageBoxRequest& r) override {
        std::fprintf(stderr, "orlenth: %s\n", r.text.toLocal8Bit().constData());
    }
    int RunModal(QWidget&) override { return 2; }
    QString ChooseOpenPath(QWidget*, const QString&) override { return {}; }
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

// The picture as a PNG file named by `fileName` (bytes as given). Encoded in memory first
// and then written and flushed by hand, so that a device that takes no bytes (a full
// disk) is a failure too, not only a file that cannot be made.
bool SavePng(const QPixmap& shot, const QByteArray& fileName) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !shot.save(&buffer, "PNG")) return false;
    QFile file(QFile::decodeName(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = file.write(png) == png.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
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
    int status = 0;
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
                if (!SavePng(form->Widget()->grab(), screenshot)) {
                    const std::string shown = EscapeControls(screenshot.toStdString());
                    std::fprintf(stderr, "orlenth: cannot write %s\n", shown.c_str());
                    status = 1;
                }
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
    return status;
}

} // namespace orlenth
