// The program entry: the application object with its title, the main window, the message
// loop. Whatever escapes is shown in the error box and the program still returns 0.

#include "app/Unit1main.h"
#include "app/WindowClasses.h"
#include "framework/Events.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Font.h"
#include "resource/TextEncoding.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kVersion = "Orlenth 0.4 (collection 001, 2004.11)";

void printHelp() {
    std::printf(
        "Usage: orlenth [PATH]\n"
        "\n"
        "Reads the built-in collection of Chinese articles. When the folder part of\n"
        "PATH (everything up to its last '/') names an existing folder, a sixth tab\n"
        "lists that folder's *.txt files (GBK or UTF-8 text).\n"
        "\n"
        "  --help      show this text and exit\n"
        "  --version   show the version and exit\n"
        "\n"
        "Environment:\n"
        "  ORLENTH_SCREENSHOT=FILE   save a PNG of the main window after start-up and\n"
        "                            exit (no display needed with QT_QPA_PLATFORM=offscreen)\n");
}

// Without a person to answer them, screenshots must not wait on a modal window: the
// splash closes at once and messages go to standard error.
class UnattendedDialogs final : public orlenth::TDialogs {
public:
    void MessageBox(const orlenth::TMessageBoxRequest& r) override {
        std::fprintf(stderr, "orlenth: %s\n", r.text.toLocal8Bit().constData());
    }
    int RunModal(QWidget&) override { return 2; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", kVersion);
        return 0;
    }
    QApplication qt(argc, argv);
    orlenth::TApplication& app = orlenth::TApplication::Instance();
    const QByteArray screenshot = qgetenv("ORLENTH_SCREENSHOT");
    try {
        // 1–2. The application object and its title.
        app.SetArguments(argc, argv);
        const QByteArray title = orlenth::TOrlenth::ApplicationTitle();
        app.SetTitle(orlenth::GbkToUnicode(
            std::string_view(title.constData(), static_cast<std::size_t>(title.size()))));
        qt.setApplicationDisplayName(app.Title());
        orlenth::SetEventDispatcher([](const std::function<void()>& call) {
            orlenth::TApplication::Instance().Dispatch(call);
        });
        if (!screenshot.isEmpty()) orlenth::SetDialogs(std::make_unique<UnattendedDialogs>());
        orlenth::InstallFontSubstitutions();
        orlenth::RegisterWindowClasses();
        // 3. The main window; building it reads the library and runs FormCreate.
        auto form = std::make_unique<orlenth::TOrlenth>();
        orlenth::TCustomForm::SetMainForm(form.get());
        form->Show();
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(0, [&] {
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
