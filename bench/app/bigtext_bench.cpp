// A big folder file from start-up to its last line: opens the folder in the real main
// window, waits until every line is wrapped, scrolls to the end and checks that the last
// line is drawn there, then reports the times and the process's peak memory. Run once for
// the big file and once for a small one (bigtext.sh does both, beside the first-page times
// of the reader itself).
// With --switch N instead: N rounds of 简繁 switches on the file's first page, each timed
// until the page of the text read again is painted: from the stored script with every line
// wrapped to 繁體, on to 简体 while 繁體 is still being converted, and back to 原文; the
// medians of each.
// Usage: orlenth-bench-bigtext FOLDER/ [--switch N]

#include "app/platform/ScriptConversion.h"
#include "bench/app/BenchWindow.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using orlenth::platform::Script;

// Every line wrapped, and what that asked of the window done (the page grown, painted).
void WaitWrapped(orlenth::TOrlenth& form) {
    while (!form.Memo1->Wrapped()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// From the choice to a painted page of the text read again: another text, wrapped as far
// as the page's height (or to its end).
double SwitchMs(orlenth::TOrlenth& form, Script script) {
    const std::shared_ptr<const orlenth::text::TextLoad> before = form.Memo1->Load();
    QImage page(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
    QElapsedTimer clock;
    clock.start();
    form.ChooseScript(script);
    const int pitch = form.LinePitch();
    while (form.Memo1->Load() == before ||
           (!form.Memo1->Wrapped() &&
            std::int64_t{form.Memo1->LineCount()} * pitch < form.ScrollBox1->ClientHeight()))
        QApplication::processEvents();
    form.ScrollBox1->Widget()->render(&page);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

int Switches(orlenth::TOrlenth& form, const char* folder, int rounds) {
    std::vector<double> there, across, back;
    for (int i = 0; i < rounds; ++i) {
        WaitWrapped(form);
        there.push_back(SwitchMs(form, Script::Traditional));
        across.push_back(SwitchMs(form, Script::Simplified));
        if (form.ScriptOnShow() != Script::Simplified) return 1; // no dictionaries
        back.push_back(SwitchMs(form, Script::Original));
    }
    std::printf("%s: 原文 to 繁體 %.2f ms, on to 简体 %.2f ms, back to 原文 %.2f ms (medians of "
                "%d)\n",
                folder, Median(there), Median(across), Median(back), rounds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool switching = argc == 4 && std::string_view(argv[2]) == "--switch";
    if (argc != 2 && !switching) {
        std::fprintf(stderr, "usage: orlenth-bench-bigtext FOLDER/ [--switch N]\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    QApplication qapp(argc, argv);
    const std::array<const char*, 2> args{"orlenth", argv[1]};
    orlenth::SetUpProgram(2, args.data());
    orlenth::SetDialogs(std::make_unique<benchwindow::QuietDialogs>());
    auto form = std::make_unique<orlenth::TOrlenth>();
    form->Show();
    QApplication::processEvents();
    if (switching) return Switches(*form, argv[1], std::max(std::atoi(argv[3]), 1));
    const qint64 shown = clock.elapsed();
    const int firstLines = form->Memo1->LineCount();
    // Until every line is wrapped and the page has heard of the last ones.
    const int pitch = form->LinePitch();
    while (!form->Memo1->Wrapped() ||
           form->PaintBox1->Height64() != std::int64_t{form->Memo1->LineCount()} * pitch)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 wrapped = clock.elapsed();
    const int lines = form->Memo1->LineCount();

    // The end: the last line's text is drawn where its cell lies.
    form->ScrollBox1->SetVertPosition(form->ScrollBox1->MaxVertPosition());
    QImage screen(form->ScrollBox1->Widget()->size(), QImage::Format_RGB32);
    form->ScrollBox1->Widget()->render(&screen);
    const int lastTop = static_cast<int>(2 + std::int64_t{lines - 1} * pitch + 4 -
                                         form->ScrollBox1->VertPosition());
    const int left = form->PaintBox1->Left() + 4;
    const QRgb paper =
        screen.pixel(form->PaintBox1->Left() + form->PaintBox1->Width() - 2, lastTop);
    int ink = 0;
    for (int y = std::max(lastTop, 0); y < std::min(lastTop + 14, screen.height()); ++y)
        for (int x = left; x < left + 200 && x < screen.width(); ++x)
            ink += screen.pixel(x, y) != paper;
    const bool atEnd = form->PaintBox1->Height64() == std::int64_t{lines} * pitch &&
                       form->ScrollBox1->VertPosition() == form->ScrollBox1->MaxVertPosition() &&
                       (lines == 0 || ink > 0 || form->Memo1->Line(lines - 1).isEmpty());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = static_cast<double>(usage.ru_maxrss) * 1024 / 1e6;
    QFileInfo file;
    for (const QFileInfo& f :
         QDir(QString::fromLocal8Bit(argv[1])).entryInfoList({QStringLiteral("*.txt")}))
        file = f;
    const double fileMb = static_cast<double>(file.size()) / 1e6;
    std::printf("%s: %.1f MB, %d lines (%d at first), first page %lld ms, all wrapped %lld ms, "
                "end shown %s, peak memory %.0f MB = %.2f x file, goal 1.25 x file + 80 MB = "
                "%.0f MB\n",
                qPrintable(file.fileName()), fileMb, lines, firstLines,
                static_cast<long long>(shown), static_cast<long long>(wrapped),
                atEnd ? "yes" : "NO", peakMb, fileMb > 0 ? peakMb / fileMb : 0.0,
                1.25 * fileMb + 80);
    return atEnd ? 0 : 1;
}
