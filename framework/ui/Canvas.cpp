#include "framework/ui/Canvas.h"

#include "framework/text/TextEncoding.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace orlenth {

namespace {

// On and off lengths in pixels, starting on.
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {1, 1};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

std::span<const int> patternOf(TPen::TPenStyle style) {
    switch (style) {
    case TPen::psDash:
        return kDash;
    case TPen::psDot:
        return kDot;
    case TPen::psDashDot:
        return kDashDot;
    case TPen::psDashDotDot:
        return kDashDotDot;
    default:
        return {};
    }
}

bool patternOn(std::span<const int> pattern, std::int64_t i) {
    if (pattern.empty()) return true;
    int period = 0;
    for (int p : pattern) period += p;
    std::int64_t at = i % period;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (at < pattern[k]) return k % 2 == 0;
        at -= pattern[k];
    }
    return false;
}

} // namespace

TCanvas::TCanvas() : palette_(QGuiApplication::palette()) {
    QObject::connect(&font_, &TFont::Changed, &font_, [this] {
        pageFont_.reset();
        metrics_.reset();
    });
}

const QFont& TCanvas::PageFont() const {
    if (!pageFont_) pageFont_ = font_.PageFont();
    return *pageFont_;
}

const QFontMetrics& TCanvas::Metrics() const {
    if (!metrics_) metrics_.emplace(PageFont());
    return *metrics_;
}

TCanvas::~TCanvas() = default;

void TCanvas::Begin(QPainter* painter, const QRect& clipRect, const QPalette& palette,
                    std::int64_t rowOffset) {
    painter_ = painter;
    clipRect_ = clipRect;
    palette_ = palette;
    rowOffset_ = rowOffset;
}

void TCanvas::End() {
    painter_ = nullptr;
    clipRect_ = QRect();
    rowOffset_ = 0;
}

int TCanvas::Row(std::int64_t row) const {
    const std::int64_t far = 2 * kRowTile - 1;
    return static_cast<int>(std::clamp<std::int64_t>(row - RowOffset(), -far, far));
}

QColor TCanvas::Resolve(int color) const {
    return ToQColor(color, palette_);
}

bool TCanvas::CanDraw() const {
    if (painter_) return true;
    if (drawnOutside_) drawnOutside_();
    return false;
}

void TCanvas::FillRect(const QRect& r) {
    if (!CanDraw()) return;
    const QRect visible = r.normalized() & clipRect_;
    if (!visible.isEmpty()) painter_->fillRect(visible, Resolve(brush_.Color()));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!CanDraw()) return;
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const int width = x2 - x1, height = y2 - y1;
    if (width <= 0 || height <= 0) return;
    if (brush_.Style() == TBrush::bsSolid) {
        const QRect visible = QRect(x1, y1, width, height) & clipRect_;
        if (!visible.isEmpty()) painter_->fillRect(visible, Resolve(brush_.Color()));
    }
    if (pen_.Style() == TPen::psClear) return;
    if (pen_.Width() > 1) {
        const int w = std::min({pen_.Width(), width, height});
        const QColor c = Resolve(pen_.Color());
        for (const QRect& edge : {QRect(x1, y1, width, w), QRect(x1, y2 - w, width, w),
                                  QRect(x1, y1, w, height), QRect(x2 - w, y1, w, height)}) {
            const QRect visible = edge & clipRect_;
            if (!visible.isEmpty()) painter_->fillRect(visible, c);
        }
        return;
    }
    // The edges in drawing order, each run from its start corner, so that a pattern runs
    // round the frame as a line would.
    DrawRun(QPoint(x1, y1), QPoint(1, 0), width);
    DrawRun(QPoint(x2 - 1, y1), QPoint(0, 1), height);
    DrawRun(QPoint(x2 - 1, y2 - 1), QPoint(-1, 0), width);
    DrawRun(QPoint(x1, y2 - 1), QPoint(0, -1), height);
}

void TCanvas::MoveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = penPos_, to(x, y);
    penPos_ = to;
    if (!CanDraw() || pen_.Style() == TPen::psClear || from == to) return;
    const std::int64_t dx = std::int64_t{to.x()} - from.x(), dy = std::int64_t{to.y()} - from.y();
    if (dx == 0 || dy == 0) {
        const QPoint step(dx > 0 ? 1 : dx < 0 ? -1 : 0, dy > 0 ? 1 : dy < 0 ? -1 : 0);
        DrawRun(from, step, static_cast<int>(std::max(std::llabs(dx), std::llabs(dy))));
        return;
    }
    // A slanted line, pixel by pixel along its major axis; the minor coordinate of step i
    // is the nearest to the ideal line, so any part can be computed without the rest.
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const std::int64_t steps = std::llabs(major);
    const int majorSign = major > 0 ? 1 : -1, minorSign = minor > 0 ? 1 : -1;
    const std::int64_t minorAbs = std::llabs(minor);
    const int w = pen_.Width();
    const auto pattern = w > 1 ? std::span<const int>() : patternOf(pen_.Style());
    const QRect reach = clipRect_.adjusted(-w, -w, w, w);
    const std::int64_t m0 = xMajor ? from.x() : from.y();
    const std::int64_t lo = xMajor ? reach.left() : reach.top(),
                       hi = xMajor ? reach.right() : reach.bottom();
    // Steps whose major coordinate lies within the clip's reach.
    std::int64_t first = majorSign > 0 ? lo - m0 : m0 - hi;
    std::int64_t last = majorSign > 0 ? hi - m0 : m0 - lo;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, steps - 1);
    const QColor c = Resolve(pen_.Color());
    for (std::int64_t i = first; i <= last; ++i) {
        if (!patternOn(pattern, i)) continue;
        const std::int64_t along = m0 + majorSign * i;
        const std::int64_t across =
            (xMajor ? from.y() : from.x()) + minorSign * ((2 * i * minorAbs + steps) / (2 * steps));
        const QPoint p = xMajor ? QPoint(static_cast<int>(along), static_cast<int>(across))
                                : QPoint(static_cast<int>(across), static_cast<int>(along));
        const QRect dot = QRect(p.x() - (w - 1) / 2, p.y() - (w - 1) / 2, w, w) & clipRect_;
        if (!dot.isEmpty()) painter_->fillRect(dot, c);
    }
}

void TCanvas::DrawRun(QPoint from, QPoint step, int length) {
    if (length <= 0) return;
    const int w = pen_.Width();
    const auto pattern = w > 1 ? std::span<const int>() : patternOf(pen_.Style());
    const QColor c = Resolve(pen_.Color());
    const bool horizontal = step.y() == 0;
    const int across = (horizontal ? from.y() : from.x()) - (w - 1) / 2;
    const std::int64_t start = horizontal ? from.x() : from.y();
    const int dir = horizontal ? step.x() : step.y();
    const std::int64_t lo = horizontal ? clipRect_.left() : clipRect_.top(),
                       hi = horizontal ? clipRect_.right() : clipRect_.bottom();
    std::int64_t first = dir > 0 ? lo - start : start - hi;
    std::int64_t last = dir > 0 ? hi - start : start - lo;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, length - 1);
    // Runs of lit pixels become one rectangle each.
    auto fill = [&](std::int64_t a, std::int64_t b) {
        const std::int64_t p1 = start + dir * a, p2 = start + dir * b;
        const int low = static_cast<int>(std::min(p1, p2)), n = static_cast<int>(b - a + 1);
        const QRect r = horizontal ? QRect(low, across, n, w) : QRect(across, low, w, n);
        const QRect visible = r & clipRect_;
        if (!visible.isEmpty()) painter_->fillRect(visible, c);
    };
    std::int64_t runStart = -1;
    for (std::int64_t i = first; i <= last; ++i) {
        const bool on = patternOn(pattern, i);
        if (on && runStart < 0) runStart = i;
        if (!on && runStart >= 0) {
            fill(runStart, i - 1);
            runStart = -1;
        }
    }
    if (runStart >= 0) fill(runStart, last);
}

void TCanvas::TextOut(int x, int y, const QByteArray& gbk) {
    const QFontMetrics& metrics = Metrics();
    const QString text = DisplayTextToUnicode(gbk);
    const int width = metrics.horizontalAdvance(text);
    penPos_ = QPoint(x + width, y);
    if (!CanDraw()) return;
    const QRect cell(x, y, width, metrics.ascent() + metrics.descent());
    if (!cell.intersects(clipRect_)) return;
    if (brush_.Style() == TBrush::bsSolid)
        painter_->fillRect(cell & clipRect_, Resolve(brush_.Color()));
    painter_->save();
    painter_->setFont(PageFont());
    painter_->setPen(Resolve(font_.Color()));
    painter_->drawText(QPoint(x, y + metrics.ascent()), text);
    painter_->restore();
}

int TCanvas::TextWidth(const QByteArray& gbk) const {
    return Metrics().horizontalAdvance(DisplayTextToUnicode(gbk));
}

int TCanvas::TextHeight(const QByteArray&) const {
    return Metrics().ascent() + Metrics().descent();
}

} // namespace orlenth
