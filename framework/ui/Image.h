#pragma once
// A picture control: the picture of its "Picture.Data", drawn at its size or centred.

#include "framework/ui/Control.h"

#include <QImage>
#include <QLabel>

#include <cstdint>
#include <functional>
#include <span>

namespace orlenth {

// The picture a description stores: the binary property "Data" holds the class name and
// the file (see docs/description-text.md). The component layer does not know the graphic formats:
// the program installs the decoder, which lives with the other stored formats above it.
class TPicture : public TPersistent {
    Q_OBJECT
public:
    // Turns a whole "Data" value into an image; throws for anything it cannot decode.
    using Decoder = std::function<QImage(std::span<const std::uint8_t> data)>;
    // The decoder every picture read from then on uses (null removes it). Without one, a
    // picture with data cannot be read and throws EReadError; one without data reads.
    static void SetDecoder(Decoder decoder);

    explicit TPicture(QObject* parent = nullptr) : TPersistent(parent) {}
    const QImage& Image() const { return image_; }
    // The stored bytes, kept so that the picture is written back as it was read.
    const std::string& Data() const { return data_; }
    void DefineProperties(TFiler& filer) override;
    std::function<void()> OnChange;

private:
    QImage image_;
    std::string data_;
};

class TImage : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(orlenth::TPicture* Picture READ Picture)
    Q_CLASSINFO("Default.AutoSize", "false")
    Q_CLASSINFO("Default.Center", "false")
    Q_CLASSINFO("Event.OnClick", "")
    Q_CLASSINFO("Event.OnDblClick", "")

public:
    Q_INVOKABLE explicit TImage(TComponent* owner = nullptr);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a) {
        autoSize_ = a;
        Apply();
    }
    bool Center() const { return center_; }
    void SetCenter(bool c) {
        center_ = c;
        Apply();
    }
    TPicture* Picture() { return &picture_; }
    void Loaded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QLabel* label_;
    TPicture picture_;
    bool autoSize_ = false, center_ = false;
};

} // namespace orlenth
