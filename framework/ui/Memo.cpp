#include "framework/ui/Memo.h"

#include "framework/Errors.h"
#include "framework/ui/Application.h"

#include <algorithm>
#include <climits>

namespace orlenth {

QByteArrayList TMemoLines::Strings() const {
    // CR and LF never occur inside a GBK character, so bytes can be split as they are.
    const QByteArray text = memo_.Text();
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

namespace {

class MemoShownLines : public text::LineSource {
public:
    explicit MemoShownLines(TMemo& memo) : memo_(memo) {}
    std::size_t lineCount() override { return static_cast<std::size_t>(memo_.LineCount()); }
    bool complete() override { return memo_.Wrapped(); }
    // Below the lines wrapped so far, so never a wait.
    std::uint32_t lineStart(std::size_t i) override { return memo_.LineStart(static_cast<int>(i)); }
    std::uint32_t textEnd() override {
        return static_cast<std::uint32_t>(memo_.Load()->available());
    }
    std::string_view bytes(std::uint32_t from, std::uint32_t to) override {
        // The load lives as long as the memo shows its text, and bytes published stay.
        return std::string_view(memo_.Load()->bytes() + from, to - from);
    }

private:
    TMemo& memo_;
};

} // namespace

TMemo::TMemo(TComponent* owner)
    : TControl(owner), lines_(*this), shownLines_(std::make_unique<MemoShownLines>(*this)) {
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
    if (static_cast<std::size_t>(gbk.size()) > text::kMemoCapacity)
        throw EOutOfResources(formatMessage(Msg::MemoCapacity));
    const auto size = static_cast<std::size_t>(gbk.size());
    SetText(text::TextFeed{std::move(gbk), size, {}});
}

void TMemo::SetText(text::TextFeed feed) {
    if (engine_) {
        engine_->setText(std::move(feed));
    } else {
        // The old text goes before the new one takes room.
        pendingText_ = text::TextFeed{};
        pendingText_ = std::move(feed);
    }
    emit TextChanged();
}

QByteArray TMemo::Text() {
    if (engine_) return engine_->text();
    return pendingText_.produce
               ? Engine().text()
               : pendingText_.buffer.left(static_cast<qsizetype>(pendingText_.ready));
}

std::shared_ptr<const text::TextLoad> TMemo::Load() {
    return Engine().load();
}

text::WrapEngine& TMemo::Engine() {
    const int width = wordWrap_ ? std::max(0, Width()) : INT_MAX;
    if (!engine_) {
        // Measuring a font costs tens of milliseconds, so the engine is made only once
        // lines are wanted, in the font the memo has by then.
        engine_ = std::make_unique<text::WrapEngine>(font_.PageFont(), width);
        engine_->setText(std::move(pendingText_));
        pendingText_ = text::TextFeed{};
        fontChanged_ = false;
        engine_->setOnProgress([this] {
            emit LinesAdded();
            if (const std::exception_ptr e = engine_->takeLoadError()) {
                try {
                    std::rethrow_exception(e);
                } catch (const std::exception& error) {
                    TApplication::Instance().ShowException(error);
                }
            }
        });
    }
    engine_->setWidth(width);
    engine_->setFlow(columns_ ? text::Flow::Columns : text::Flow::Rows);
    if (fontChanged_) {
        fontChanged_ = false;
        engine_->setFont(font_.PageFont());
    }
    return *engine_;
}

int TMemo::LineCount() {
    return static_cast<int>(Engine().linesSoFar());
}

bool TMemo::Wrapped() {
    return Engine().wrapped();
}

int TMemo::FinalLineCount() {
    return static_cast<int>(Engine().lineCount());
}

QByteArray TMemo::Line(int i) {
    text::WrapEngine& engine = Engine();
    if (i < 0) throw EListError::indexOutOfBounds(i);
    return engine.line(static_cast<std::size_t>(i));
}

std::uint32_t TMemo::LineStart(int i) {
    text::WrapEngine& engine = Engine();
    if (i < 0) throw EListError::indexOutOfBounds(i);
    return engine.lineStart(static_cast<std::size_t>(i));
}

int TMemo::LineAt(std::uint32_t offset) {
    return static_cast<int>(Engine().lineAt(offset));
}

} // namespace orlenth
