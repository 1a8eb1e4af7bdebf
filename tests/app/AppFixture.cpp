#include "tests/app/AppFixture.h"

#include "app/Program.h"
#include "app/ProgramSettings.h"
#include "app/settings/SettingsFile.h"
#include "framework/text/TextEncoding.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>
#include <QtTest>

#include <vector>

namespace apptest {

TDialogLog& SetUpProgram(const std::string& argument) {
    std::vector<const char*> argv{"orlenth"};
    if (!argument.empty()) argv.push_back(argument.c_str());
    orlenth::SetUpProgram(static_cast<int>(argv.size()), argv.data());
    return testsupport::InstallFakeDialogs();
}

QByteArray Gbk(const char* utf8) {
    return QByteArray::fromStdString(orlenth::UnicodeToGbk(QString::fromUtf8(utf8)));
}

void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

TStallWatch::Millis StallLimit() {
    return TStallWatch::Millis{100 * ORLENTH_STALL_SCALE};
}

bool RunLoopUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= ms) loop.quit();
    });
    look.start(5);
    if (!done()) loop.exec();
    return done();
}

TConfig::TConfig() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
}

TConfig::~TConfig() {
    orlenth::SetProgramSettings(nullptr);
}

QString TConfig::File() const {
    return dir_.path() + QStringLiteral("/orlenth/orlenth.conf");
}

void TConfig::Open() {
    orlenth::SetProgramSettings(orlenth::settings::TSettingsFile::Open(File()));
}

} // namespace apptest
