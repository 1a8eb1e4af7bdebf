#pragma once
// A drawing surface with a pen, a brush and a font, in the coordinates of the control that
// owns it, moved up by RowOffset() rows for a control taller than an int holds. It draws
// only while its owner paints (a painter is set); the rest of the time every drawing call
// does nothing, while pen, brush and font can still be set and read, so that a paint
// handler can also be called directly.

#include "framework/Persistent.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Font.h"

#include <QByteArray>
#include <QFontMetrics>
#include <QPalette>
#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;

namespace orlenth {

class TPen : public TPersistent {
    Q_OBJECT
public:
    enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
    Q_ENUM(TPenStyle)

    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(TPenStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    explicit TPen(QObject* parent = nullptr) : TPersistent(parent) {}

    int Color() const { return color_; }
    void SetColor(int c) { color_ = c; }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s) { style_ = s; }
    // Pixels; values below 1 are taken as 1.
    int Width() const { return width_; }
    void SetWidth(int w) { width_ = w < 1 ? 1 : w; }

private:
    int color_ = 0;
    TPenStyle style_ = psSolid;
    int width_ = 1;
};

class TBrush : public TPersistent {
    Q_OBJECT
public:
    enum TBrushStyle { bsSolid, bsClear };
    Q_ENUM(TBrushStyle)

    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(TBrushStyle Style READ Style WRITE SetStyle)
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    explicit TBrush(QObject* parent = nullptr) : TPersistent(parent) {}

    int Color() const { return color_; }
    void SetColor(int c) { color_ = c; }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s) { style_ = s; }

private:
    int color_ = 0x00FFFFFF;
    TBrushStyle style_ = bsSolid;
};

class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    TFont* Font() { return &font_; }

    // ---- drawing; nothing is drawn without a painter
    // Fills x1 … x2−1 × y1 … y2−1 with the brush when it is solid, then, unless the pen is
    // psClear, frames that area's edge in the pen's colour, Width pixels inwards. Corners
    // given the wrong way round are swapped; an empty area draws nothing.
    void Rectangle(int x1, int y1, int x2, int y2);
    // Fills x1 … x2−1 × y1 … y2−1 with the brush colour, whatever the brush style.
    void FillRect(const QRect& r);
    void MoveTo(int x, int y);
    // A line from the pen position to (x, y) in the pen's colour, style and width, the end
    // point itself left out; the pen position moves to (x, y). Horizontal and vertical
    // lines are drawn pixel by pixel, the pattern starting on at the start point (psDot:
    // one pixel on, one off); psClear draws nothing.
    void LineTo(int x, int y);
    QPoint PenPos() const { return penPos_; }
    // The GBK text with the top-left of its cell (ascent + descent high) at (x, y), in the
    // font and its colour; with a solid brush the cell is filled with the brush colour
    // first. The pen position moves to the end of the text. Bytes that are not GBK show as
    // replacement characters.
    void TextOut(int x, int y, const QByteArray& gbk);
    // The advance width of the text, and the cell height, in the current font.
    int TextWidth(const QByteArray& gbk) const;
    int TextHeight(const QByteArray& gbk) const;

    // The area being painted, in canvas coordinates; empty without a painter.
    QRect ClipRect() const { return painter_ ? clipRect_ : QRect(); }
    // The owner's row that the canvas's row 0 stands for: 0 unless the owner paints rows
    // at or past kRowTile, then a multiple of it at most the painted part's top, so that
    // the painted rows and their neighbourhood stay well inside an int. 0 outside a paint.
    std::int64_t RowOffset() const { return painter_ ? rowOffset_ : 0; }
    static constexpr std::int64_t kRowTile = std::int64_t{1} << 29;
    // The canvas row of the owner's row `row`. Rows more than kRowTile × 2 − 1 away from
    // row 0 of the canvas are clamped to that distance: they lie far outside anything
    // painted, and the distance between any two such rows still fits an int.
    int Row(std::int64_t row) const;
    // The painter, already translated to canvas coordinates; null outside a paint.
    QPainter* Painter() const { return painter_; }

    // ---- for the owning control
    // Starts drawing through `painter` (translated to canvas coordinates) on `clipRect`
    // (canvas coordinates), with system colours taken from `palette`; canvas row 0 is the
    // owner's row `rowOffset`.
    void Begin(QPainter* painter, const QRect& clipRect, const QPalette& palette,
               std::int64_t rowOffset = 0);
    // Ends drawing; the painter is not used any more.
    void End();
    // Called when something is drawn without a painter, so the owner can repaint.
    void SetDrawnOutsidePaint(std::function<void()> callback) {
        drawnOutside_ = std::move(callback);
    }

private:
    QColor Resolve(int color) const;
    // The font's QFont and metrics, made again only after the font changed.
    const QFont& PageFont() const;
    const QFontMetrics& Metrics() const;
    // False, after asking the owner to repaint, when there is no painter.
    bool CanDraw() const;
    // An axis-parallel run of `length` pixels from `from` along `step`, in the pen.
    void DrawRun(QPoint from, QPoint step, int length);

    TPen pen_;
    TBrush brush_;
    TFont font_;
    QPainter* painter_ = nullptr;
    QRect clipRect_;
    std::int64_t rowOffset_ = 0;
    QPalette palette_;
    QPoint penPos_;
    std::function<void()> drawnOutside_;
    mutable std::optional<QFont> pageFont_;
    mutable std::optional<QFontMetrics> metrics_;
};

} // namespace orlenth
