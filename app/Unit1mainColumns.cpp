// 竖排: the page in columns, top to bottom, the columns right to left. The memo wraps at the
// page's height instead of its width, the area scrolls across, and its positions measure
// the distance from the page's right edge: so paging, auto-scroll, the place read, find and
// reading aloud, which all work on positions and the pitch, work in columns unchanged.
// Only drawing, and where a screen reader finds a column, differ from rows.

#include "app/Unit1main.h"

#include "app/VerticalGeometry.h"
#include "framework/text/ColumnPaint.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orlenth {

namespace {

int CellWidth(const text::GbkMetrics& metrics) {
    return static_cast<int>(std::ceil(metrics.em()));
}

// A page coordinate as the area's: far ones are clamped, as far as keeps them off the area
// on the side they lie.
int OnArea(std::int64_t x) {
    constexpr std::int64_t far = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::clamp<std::int64_t>(x, -far, far));
}

} // namespace

void TOrlenth::verticalExecute(TComponent*) {
    SetColumns(!vertical->Checked());
}

void TOrlenth::SetColumns(bool columns) {
    if (columns == vertical->Checked()) return;
    // The place is noted in the layout it was read in and found again in the other one.
    const std::uint32_t place = PlaceRead();
    vertical->SetChecked(columns);
    Memo1->SetColumns(columns);
    ScrollBox1->SetColumns(columns);
    ScrollBox1->SetVertPosition(0);
    ScrollBox1Resize(nullptr);
    SetPageHeight();
    if (place > 0) GoToPlace(place);
    PaintBox1->ShownLinesChanged();
    PaintBox1->Invalidate();
}

void TOrlenth::PaintColumns() {
    TCanvas* canvas = PaintBox1->Canvas();
    QPainter* painter = canvas->Painter();
    if (!painter) {
        // Called outside a paint, as the handlers call the paint handler: a real one follows.
        PaintBox1->Invalidate();
        return;
    }
    const QPalette palette = PaintBox1->Widget()->palette();
    const ColumnPlacement across = PlaceColumns(ScrollBox1->Height(), BieJie->Checked());
    const int pitch = LinePitch();
    const int count = Memo1->LineCount();
    const std::int64_t right =
        ColumnsRightEdge(ScrollBox1->ClientWidth(), ScrollBox1->VertPosition());
    const std::int64_t left = right - std::int64_t{count} * pitch;
    // What lies beside the page is the area's edge, as below a short page of rows.
    const QRect area = PaintBox1->Widget()->rect();
    painter->fillRect(area, ToQColor(ScrollBox1->Color(), palette));
    canvas->Pen()->SetStyle(visBK->Checked() ? TPen::psSolid : TPen::psClear);
    canvas->Rectangle(OnArea(std::max<std::int64_t>(left, -2)), across.top,
                      OnArea(std::min<std::int64_t>(right, area.width() + 2)),
                      across.top + across.height);
    const QRect clip = canvas->ClipRect();
    if (clip.isEmpty() || count == 0) return;
    const text::GbkMetrics& metrics = Memo1->Metrics();
    text::ColumnPainter columnPainter(metrics);
    const int cell = CellWidth(metrics);
    const int top = across.top + kTextInset;
    const int ruleLength = std::max(0, across.height - kTextInset - kPageEndInset);
    const QColor textColour = ToQColor(canvas->Font()->Color(), palette);
    const QColor ruleColour = ToQColor(canvas->Pen()->Color(), palette);
    const LineRange columns = VisibleColumns(clip.left(), clip.width(), cell, pitch, count, right);
    for (int i = columns.first; i <= columns.last; ++i) {
        const ColumnPlace place = PlaceColumn(i, pitch, cell, right);
        const QByteArray line = Memo1->Line(i);
        const ColumnCell column{&columnPainter, static_cast<double>(OnArea(place.textLeft)),
                                static_cast<double>(top), static_cast<double>(cell)};
        painter->setPen(textColour);
        if (!PaintFoundLine(*canvas, i, top, line, &column) &&
            !PaintSpokenLine(*canvas, i, top, line, &column))
            columnPainter.paint(*painter, line, column.left, column.top, column.width);
        painter->setPen(ruleColour);
        columnPainter.paintRule(*painter, OnArea(place.ruleX), top, ruleLength);
    }
}

QRect TOrlenth::ColumnRect(int line) {
    const ColumnPlacement across = PlaceColumns(ScrollBox1->Height(), BieJie->Checked());
    const int cell = CellWidth(Memo1->Metrics());
    const std::int64_t right =
        ColumnsRightEdge(ScrollBox1->ClientWidth(), ScrollBox1->VertPosition());
    const ColumnPlace place = PlaceColumn(line, LinePitch(), cell, right);
    return QRect(OnArea(place.textLeft), across.top + kTextInset, cell,
                 std::max(0, across.height - kPageEndInset));
}

} // namespace orlenth
