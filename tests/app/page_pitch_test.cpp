// The line pitch over the installed Chinese faces and a range of sizes, in the real window:
// points + Tag where the font's cell keeps two clear rows above the next rule, just enough
// more where it does not; and on the drawn page no ink of the text touches a rule.

#include "tests/app/AppFixture.h"

#include "app/PageGeometry.h"
#include "app/Unit1main.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace orlenth;
using apptest::Gbk;

namespace {

// Ink is the text's red, blended into the paper at the glyphs' edges; rules are black.
bool isInk(QRgb p) {
    return qRed(p) - qGreen(p) > 24 && qRed(p) - qBlue(p) > 24;
}

int inkInRow(const QImage& page, int y) {
    int ink = 0;
    if (y < 0 || y >= page.height()) return 0;
    for (int x = 0; x < page.width(); ++x) ink += isInk(page.pixel(x, y));
    return ink;
}

} // namespace

class PagePitchTest : public QObject {
    Q_OBJECT

private slots:
    void pitchKeepsTheRulesClearOfTheText_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("grows"); // whether the cell needs more than points + Tag
        const struct {
            const char* stored;
            const char* installed;
        } faces[] = {{"宋体", "AR PL UMing"}, {"楷体_GB2312", "AR PL UKai"}};
        const struct {
            int points;
            bool grows;
        } sizes[] = {{9, false}, {11, false}, {12, false}, {16, false}, {20, true},
                     {24, true}, {36, true},  {48, true},  {72, true}};
        for (const auto& f : faces)
            for (const auto& s : sizes)
                QTest::addRow("%s %dpt", f.installed, s.points)
                    << QString::fromUtf8(f.stored) << s.points << s.grows;
    }

    void pitchKeepsTheRulesClearOfTheText() {
        QFETCH(QString, face);
        QFETCH(int, points);
        QFETCH(bool, grows);
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        // The page font as the font dialog sets it: whole points at 96 pixels an inch.
        TFont font;
        font.SetName(Gbk(face.toUtf8().constData()));
        font.SetHeight(-static_cast<int>(std::lround(points * 96.0 / 72.0)));
        font.SetColor(0x000000FF);
        QCOMPARE(font.SizeInPoints(), points);
        QVERIFY(QFontInfo(font.PageFont()).family().startsWith(QStringLiteral("AR PL U")));
        form.Memo1->Font()->Assign(&font);
        form.PaintBox1->Font()->Assign(&font);
        form.PaintBox1->SetColor(0x00FFFFFF);
        // Tall strokes, deep ones, and marks that sit low or high in their cell.
        QByteArray text;
        for (int i = 0; i < 12; ++i) text += Gbk("龘鬱靈寧亅丁，「」gjpqy|") + "\r\n";
        form.Memo1->SetText(text);
        form.ScrollBox1->SetVertPosition(0);
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();

        const QFontMetrics metrics(font.PageFont());
        const int cell = metrics.ascent() + metrics.descent();
        const int stored = points + form.PaintBox1->Tag();
        const int pitch = form.LinePitch();
        // Never less than points + Tag, two clear rows under the cell, no more than needed.
        QVERIFY(pitch >= stored);
        QVERIFY(pitch - kRuleAbove - (kTextInset + cell) >= kRuleGap);
        QVERIFY(pitch == stored || pitch - kRuleAbove - (kTextInset + cell) == kRuleGap);
        QCOMPARE(pitch > stored, grows);
        QCOMPARE(form.PaintBox1->Height(), form.Memo1->LineCount() * pitch);

        QImage page(form.PaintBox1->Widget()->size(), QImage::Format_RGB32);
        form.PaintBox1->Widget()->render(&page);
        QCOMPARE(form.PaintBox1->WidgetOrigin(), QPoint(0, 0));
        const int count = form.Memo1->LineCount();
        int lines = 0;
        int deepest = -1; // the lowest ink of any line, in rows below the line's top
        for (int i = 0; i < count && (i + 1) * pitch < page.height(); ++i, ++lines) {
            const int top = i * pitch;
            int ink = 0;
            // Down to the next rule: ink below the font's cell would count too.
            for (int y = top + kTextInset; y < top + pitch - kRuleAbove; ++y)
                if (const int row = inkInRow(page, y); row > 0) {
                    ink += row;
                    deepest = std::max(deepest, y - top);
                }
            QVERIFY2(ink > 50, "the line is drawn");
            // The rules above this line and the next: no ink on them or next to them.
            for (const int rule : {top - kRuleAbove, top + pitch - kRuleAbove}) {
                if (rule < 0 || (rule > top && i + 1 == count)) continue;
                for (int y = rule - 1; y <= rule + 1; ++y)
                    QVERIFY2(inkInRow(page, y) == 0, qPrintable(QStringLiteral("row %1").arg(y)));
                // The rule is there: dotted, in black.
                QCOMPARE(page.pixel(kTextInset, rule), qRgb(0, 0, 0));
            }
        }
        QVERIFY(lines >= 2);
        // Clear rows between the deepest ink and the next rule, at this pitch and at
        // points + Tag: where the pitch grew, the old one left fewer than two.
        QVERIFY(pitch - kRuleAbove - deepest - 1 >= kRuleGap);
        if (grows) QVERIFY(stored - kRuleAbove - deepest - 1 < kRuleGap);
        qInfo("cell %d, pitch %d (points + Tag %d), deepest ink %d", cell, pitch, stored, deepest);
    }
};

QTEST_MAIN(PagePitchTest)
#include "page_pitch_test.moc"
