#include "framework/ui/Memo.h"

#include "framework/Errors.h"

#include <climits>

namespace orlenth {

QByteArrayList TMemoLines::Strings() const {
    // CR and LF never occur inside a GBK character, so bytes can be split as they are.
    const QByteArray& text = memo_.Text();
    QByteArrayList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.mid(start));
    return lines;
}

void TMemoLines::SetStrings(const QByteArrayList& lines) {
    QByteArray text;
    qsizetype size = 0;
    for (const QByteArray& l : lines) size += l.size() + 2;
    text.reserve(size);
    for (const QByteArray& l : lines) {
        text += l;
        text += "\r\n";
    }
    memo_.SetText(std::move(text));
}

TMemo::TMemo(TComponent* owner)
    : TControl(owner), lines_(*this),
      engine_(std::make_unique<text::WrapEngine>(font_.PageFont(), 0)) {
    auto* w = new QWidget;
    w->hide();
    SetWidget(w);
    // The font is handed to the engine when lines are next asked for, so a run of
    // property changes costs one re-wrap at most.
    QObject::connect(&font_, &TFont::Changed, this, [this] { fontChanged_ = true; });
}

TMemo::~TMemo() = default;

void TMemo::SetColor(int c) {
    color_ = c;
    parentColor_ = false;
}

void TMemo::SetParentColor(bool p) {
    parentColor_ = p;
    if (!p || IsLoading()) return;
    if (const auto c = ParentColorSource()) color_ = *c;
}

void TMemo::Loaded() {
    TControl::Loaded();
    if (parentColor_) SetParentColor(true);
    if (parentFont_)
        if (const TFont* f = ParentFontSource()) font_.Assign(f);
}

void TMemo::SetText(QByteArray gbk) {
    engine_->setText(std::move(gbk));
}

const QByteArray& TMemo::Text() const {
    return engine_->text();
}

void TMemo::SyncEngine() {
    engine_->setWidth(wordWrap_ ? std::max(0, Width()) : INT_MAX);
    if (fontChanged_) {
        fontChanged_ = false;
        engine_->setFont(font_.PageFont());
    }
}

int TMemo::LineCount() {
    SyncEngine();
    return static_cast<int>(engine_->lineCount());
}

QByteArray TMemo::Line(int i) {
    SyncEngine();
    if (i < 0) throw EListError::indexOutOfBounds(i);
    return engine_->line(static_cast<std::size_t>(i));
}

} // namespace orlenth
