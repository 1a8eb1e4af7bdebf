// The system's speech engine through the reader's own road: MakeSpeechEngine (no factory)
// and TReadAloud over a text of three sentences. The engine must be there, say each
// sentence in turn and say when it has done; speech_engine_test.sh runs this against a
// private speech service whose sound goes nowhere.
// Exits 0 when the three sentences started in order and the text ended, 1 otherwise.

#include "app/ReadAloud.h"
#include "app/platform/Speech.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/TextLoad.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <vector>

using namespace orlenth;

namespace {

// A guard against a service that never answers, far above the second or so the three
// sentences take: the test fails then instead of hanging.
constexpr int kGiveUpMs = 120000;

int Fail(const QString& why) {
    std::fprintf(stderr, "FAIL: %s\n", why.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::unique_ptr<platform::TSpeechEngine> engine = platform::MakeSpeechEngine();
    const QString unavailable = engine->Unavailable();
    if (!unavailable.isEmpty()) return Fail(QStringLiteral("no engine: ") + unavailable);
    std::printf("voices: %s\n",
                engine->Voices().join(QStringLiteral(", ")).toLocal8Bit().constData());

    // Three sentences, each found again where it starts in the GBK text.
    QByteArray gbk = UnicodeToDisplayBytes(QString::fromUtf8("今天天气好。我们去看书！你也来吗？"));
    const std::vector<std::size_t> starts{
        0, static_cast<std::size_t>(gbk.indexOf(UnicodeToDisplayBytes(QString::fromUtf8("我们")))),
        static_cast<std::size_t>(gbk.indexOf(UnicodeToDisplayBytes(QString::fromUtf8("你也"))))};
    const auto size = static_cast<std::size_t>(gbk.size());
    auto load = std::make_shared<text::TextLoad>(text::TextFeed{std::move(gbk), size, {}});

    TReadAloud reader(*engine);
    std::vector<std::size_t> started;
    bool ended = false;
    QString failed;
    QObject::connect(&reader, &TReadAloud::SentenceStarted, [&](text::TSentence s) {
        std::printf("sentence at %zu\n", s.offset);
        std::fflush(stdout);
        started.push_back(s.offset);
    });
    QObject::connect(&reader, &TReadAloud::TextEnded, [&] {
        ended = true;
        app.quit();
    });
    QObject::connect(&reader, &TReadAloud::Failed, [&](const QString& why) {
        failed = why;
        app.quit();
    });
    QTimer::singleShot(kGiveUpMs, &app, [&] { app.quit(); });
    reader.Start(load, 0);
    app.exec();

    if (!failed.isEmpty()) return Fail(QStringLiteral("the engine failed: ") + failed);
    if (started != starts)
        return Fail(QStringLiteral("%1 sentences started, not the three in turn at %2, %3, %4")
                        .arg(started.size())
                        .arg(starts[0])
                        .arg(starts[1])
                        .arg(starts[2]));
    if (!ended) return Fail(QStringLiteral("the text never ended"));
    std::printf("three sentences said in order, the text ended\n");
    return 0;
}
