#include "framework/ui/Image.h"

#include <QMouseEvent>

#include "framework/Errors.h"
#include "framework/Filer.h"
#include "framework/Stream.h"

#include <QEvent>
#include <QPixmap>

namespace orlenth {

namespace {
TPicture::Decoder& InstalledDecoder() {
    static TPicture::Decoder decoder;
    return decoder;
}
} // namespace

void TPicture::SetDecoder(Decoder decoder) {
    InstalledDecoder() = std::move(decoder);
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
            std::string bytes(static_cast<std::size_t>(s.Size()), '\0');
            s.ReadExact(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            const Decoder& decode = InstalledDecoder();
            if (!decode) throw EReadError();
            image_ = decode(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            data_ = std::move(bytes);
            if (OnChange) OnChange();
        },
        [this](TStream& s) { s.WriteExact(data_.data(), static_cast<std::int64_t>(data_.size())); },
        !data_.empty());
}

TImage::TImage(TComponent* owner) : TControl(owner), label_(new QLabel) {
    label_->installEventFilter(this);
    picture_.OnChange = [this] { Apply(); };
    SetWidget(label_);
}

void TImage::Loaded() {
    TControl::Loaded();
    Apply();
}

void TImage::Apply() {
    const QImage& img = picture_.Image();
    label_->setPixmap(QPixmap::fromImage(img));
    // Centred, the picture keeps its size and is cut at the edges; else it starts top left.
    label_->setAlignment(center_ ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (autoSize_ && !img.isNull() && !IsLoading())
        SetBounds(QRect(Left(), Top(), img.width(), img.height()));
}

bool TImage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_) {
        // A click is a press and a release on the picture, as for a button: firing on the
        // press would run a modal window while the mouse is still held.
        if (event->type() == QEvent::MouseButtonRelease &&
            label_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
            Fire("OnClick", Q_ARG(orlenth::TComponent*, this));
        if (event->type() == QEvent::MouseButtonDblClick)
            Fire("OnDblClick", Q_ARG(orlenth::TComponent*, this));
    }
    return TControl::eventFilter(watched, event);
}

} // namespace orlenth
