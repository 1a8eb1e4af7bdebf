#include "app/Program.h"

#include "app/ProgramIcon.h"
#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/WindowClasses.h"
#include "app/settings/SettingsFile.h"
#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Accessibility.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Font.h"
#include "framework/ui/StallWatch.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <vector>

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

// Whether StartReadingSettings has run for this run of the program.
bool settingsStarted = false;

// The signal handler only writes a byte; the loop reads it and quits.
int signalPipe[2] = {-1, -1};
// A signal that came while a modal window (the splash) ran its own loop ended that loop
// only; the main loop must not start after it.
bool quitRequested = false;

void onQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void QuitLoopOnSignals() {
    if (signalPipe[0] >= 0) return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        quitRequested = true;
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

} // namespace

void SetUpProgram(int argc, const char* const* argv) {
    TApplication& app = TApplication::Instance();
    app.SetArguments(argc, argv);
    // Whatever the executable is called (a test's, say), the settings' folder is
    // orlenth's: ~/.config/orlenth.
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
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

std::vector<const char*> WithoutProgramOptions(int argc, const char* const* argv,
                                               bool& noSettings) {
    std::vector<const char*> kept;
    noSettings = false;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--no-settings") == 0)
            noSettings = true;
        else
            kept.push_back(argv[i]);
    }
    return kept;
}

void StartReadingSettings(int argc, const char* const* argv) {
    settingsStarted = true;
    bool noSettings = false;
    WithoutProgramOptions(argc, argv, noSettings);
    const QByteArray screenshot = qgetenv("ORLENTH_SCREENSHOT");
    // A screenshot shows the design, and must not change what the reader keeps;
    // ORLENTH_SCREENSHOT_SETTINGS=FILE shows a kept look instead, FILE only read.
    const QByteArray shown = qgetenv("ORLENTH_SCREENSHOT_SETTINGS");
    if (noSettings || (!screenshot.isEmpty() && shown.isEmpty())) {
        SetProgramSettings(settings::TSettingsFile::Off());
        return;
    }
    // The settings' folder is orlenth's, whatever the executable is called.
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
    const bool readOnly = !screenshot.isEmpty();
    const QString path = readOnly ? QFile::decodeName(shown) : settings::DefaultPath();
    SetProgramSettings(std::async(std::launch::async, [path, readOnly] {
        // Only on a processor nobody else wants: the file is needed once the windows are
        // read, and the window's thread waits for it then if it must. Started beside the
        // toolkit's own start instead, it slowed that by as much as it took.
        sched_param idle{};
        ::sched_setscheduler(0, SCHED_IDLE, &idle);
        return readOnly ? settings::TSettingsFile::OpenReadOnly(path)
                        : settings::TSettingsFile::Open(path);
    }));
}

int RunProgram(int argc, const char* const* argv) {
    TApplication& app = TApplication::Instance();
    const QByteArray screenshot = qgetenv("ORLENTH_SCREENSHOT");
    int status = 0;
    bool noSettings = false;
    const std::vector<const char*> args = WithoutProgramOptions(argc, argv, noSettings);
    try {
        // 1–2. The application object and its title.
        SetUpProgram(static_cast<int>(args.size()), args.data());
        if (!screenshot.isEmpty()) SetDialogs(std::make_unique<UnattendedDialogs>());
        if (!settingsStarted) StartReadingSettings(argc, argv);
        // SIGTERM, SIGINT and SIGHUP end the loop as closing the window does, so that what
        // the reader keeps is written on the way out.
        QuitLoopOnSignals();
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
        // 4. The loop, until the main window closes; ORLENTH_STALL_REPORT=1 reports how long
        // its thread went without returning to it.
        const std::unique_ptr<TStallWatch> stallWatch = StallWatchFromEnvironment();
        if (!quitRequested) QApplication::exec();
    } catch (const std::exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowUnknownException();
    }
    // The settings are written by now; the file is let go before the program ends.
    SetProgramSettings(nullptr);
    settingsStarted = false;
    // 5.
    return status;
}

} // namespace orlenth
