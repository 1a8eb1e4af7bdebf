// A big folder file from start-up to its last line: opens the folder in the real main
// window, waits until every line is wrapped, scrolls to the end and checks that the last
// line is drawn there, then reports the times and the process's peak memory. Run once for
// the big file and once for a small one (bigtext.sh does both, beside the first-page times
// of the reader itself).
// Usage: orlenth-bench-bigtext FOLDER/

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

#include <cstdint>
#include <cstdio>
#include <limits>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orlenth-bench-bigtext FOLDER/\n");
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
    const qint64 shown = clock.elapsed();
    const int firstLines = form->Memo1->LineCount();
    // Until every line is wrapped and the page has heard of the last ones (a page taller
    // than a widget can be never matches its lines, so it is given a second at most).
    const int pitch = form->LinePitch();
    while (!form->Memo1->Wrapped()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    QElapsedTimer settle;
    settle.start();
    while (form->PaintBox1->Height() != std::int64_t{form->Memo1->LineCount()} * pitch &&
           settle.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const qint64 wrapped = clock.elapsed();
    const int lines = form->Memo1->LineCount();

    // The end: the last line's text is drawn where its cell lies.
    form->ScrollBox1->SetVertPosition(std::numeric_limits<int>::max());
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
    const bool atEnd = form->PaintBox1->Height() == std::int64_t{lines} * pitch &&
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
