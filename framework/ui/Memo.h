#pragma once
// The hidden wrap engine of the reading page: a control holding the whole article text
// and its display lines at the control's width in the control's font. Its widget is never
// drawn; what it offers is the lines.

#include "framework/text/CharacterIndex.h"
#include "framework/text/WrapEngine.h"
#include "framework/ui/Control.h"
#include "framework/ui/Font.h"

#include <QByteArrayList>

#include <memory>

namespace orlenth {

class TMemo;

// The memo's text as a list of its hard lines, stored as "Lines.Strings". No copy of the
// text is kept here: it is split and joined on the way through.
class TMemoLines : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QByteArrayList Strings READ Strings WRITE SetStrings)

public:
    explicit TMemoLines(TMemo& memo) : memo_(memo) {}

    // The hard lines (ended by CR LF, a lone CR or a lone LF), the empty one after a
    // final break left out.
    QByteArrayList Strings() const;
    // Sets the text to the lines, each followed by CR LF; an empty list gives an empty
    // text. Throws like TMemo::SetText.
    void SetStrings(const QByteArrayList& lines);

private:
    TMemo& memo_;
};

class TMemo : public TControl {
    Q_OBJECT
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)

    Q_PROPERTY(orlenth::TControl::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(orlenth::TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(orlenth::TMemoLines* Lines READ Lines)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_CLASSINFO("Default.Alignment", "taLeftJustify")
    Q_CLASSINFO("Default.BorderStyle", "bsSingle")
    Q_CLASSINFO("Default.ParentColor", "false")
    Q_CLASSINFO("Default.ParentFont", "true")
    Q_CLASSINFO("Default.WordWrap", "true")
    Q_CLASSINFO("Default.ScrollBars", "ssNone")
    Q_CLASSINFO("Idents.Color", "TColor")

public:
    Q_INVOKABLE explicit TMemo(TComponent* owner = nullptr);
    ~TMemo() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle b) { borderStyle_ = b; }
    int Color() const { return color_; }
    void SetColor(int c);
    bool ParentColor() const { return parentColor_; }
    // Takes the parent's colour now (after loading) or when loading ends.
    void SetParentColor(bool p);
    // The font the lines are measured in (TFont::PageFont); a change re-wraps lazily.
    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p) { parentFont_ = p; }
    TMemoLines* Lines() { return &lines_; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    // Without word wrap only hard breaks end lines.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w) { wordWrap_ = w; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s) { scrollBars_ = s; }
    // Columns (top to bottom, right to left) instead of rows: each display line is a
    // column, and Width is the page's height that columns wrap at. A change re-wraps
    // lazily; the text offsets of lines mean the same either way.
    bool Columns() const { return columns_; }
    void SetColumns(bool c) { columns_ = c; }
    // The table the display lines are measured with (see text::ColumnPainter), in the
    // memo's current font and flow.
    const text::GbkMetrics& Metrics() { return Engine().metrics(); }

    // Replaces the whole text. Above text::kMemoCapacity bytes: EOutOfResources "Text
    // exceeds memo capacity", and the old text stays.
    void SetText(QByteArray gbk);
    // Replaces the text with one that arrives over time (see text::TextFeed); an error
    // that ends its arrival is shown in the application's error box.
    void SetText(text::TextFeed feed);
    // The whole text; waits for a text still arriving.
    QByteArray Text();
    // The display lines at the current Width and font, wrapped again first when text,
    // width, font or word wrap changed since the last query. A long text is wrapped in the
    // background: this counts the lines wrapped so far, without waiting, and LinesAdded
    // tells of more. The last display line is not counted when empty, so an empty text
    // has none.
    int LineCount();
    // Whether LineCount() is final.
    bool Wrapped();
    // Waits for all display lines and counts them.
    int FinalLineCount();
    // Display line i without its break, cut to text::kMaxLineTextBytes (never inside a
    // character); waits for a line still being wrapped. EListError "List index out of
    // bounds (%d)" when there is no line i.
    QByteArray Line(int i);
    // Where display line i starts in the text; the same waits and errors as Line.
    std::uint32_t LineStart(int i);
    // The display line holding text byte `offset` (its break counts with it): the last line
    // starting at or before it, waiting until wrapping has passed it; 0 when there are no
    // lines.
    int LineAt(std::uint32_t offset);

    // The display lines and their bytes as far as they are known, never waiting: for a
    // screen reader's view of the text (see text::CharacterIndex).
    text::LineSource& ShownLines() { return *shownLines_; }

    // The text on show as it arrives (see text::WrapEngine::load): for readers on other
    // threads, such as a search or the chapter scan. Never null.
    std::shared_ptr<const text::TextLoad> Load();

    void Loaded() override;

signals:
    // After SetText: the page shows another text.
    void TextChanged();
    // Background wrapping added lines, or ended.
    void LinesAdded();

private:
    // The engine, made on first use, with its width and font brought up to date; it
    // re-wraps only if they changed.
    text::WrapEngine& Engine();

    TMemoLines lines_;
    std::unique_ptr<text::LineSource> shownLines_;
    TFont font_;
    std::unique_ptr<text::WrapEngine> engine_;
    text::TextFeed pendingText_; // the text until the engine exists
    TAlignment alignment_ = taLeftJustify;
    TBorderStyle borderStyle_ = bsSingle;
    TScrollStyle scrollBars_ = ssNone;
    int color_ = kSystemColor | 5; // the window colour
    int tabOrder_ = -1;
    bool parentColor_ = false, parentFont_ = true, wordWrap_ = true, columns_ = false;
    bool fontChanged_ = false;
};

} // namespace orlenth
