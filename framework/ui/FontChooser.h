#pragma once
// The font dialog the program shows: face, style, size, underline, strike-out and colour
// with a sample in Chinese, its lists as wide as their rows need so that it opens within
// the main window's width. Qt's own font dialog has no colour, and it cannot open on a
// face known only by a substituted name such as "宋体".

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace orlenth {

class TFontChooser : public QDialog {
    Q_OBJECT
public:
    explicit TFontChooser(QWidget* parent = nullptr);

    // The font the dialog starts from. A face that is not installed under its own name
    // (a name the platform substitutes) is listed and selected under that name.
    void SetCurrentFont(const QFont& font);
    // The font as the controls give it: whatever the user left alone is taken from the
    // font given to SetCurrentFont, so an untouched dialog gives that font back exactly.
    QFont CurrentFont() const;
    void SetColor(const QColor& color);
    QColor Color() const { return color_; }

protected:
    // Up and down in the filter field move through the faces it leaves.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFamilies(const QString& extra);
    void selectFamily(const QString& family);
    void applyFilter(const QString& text);
    void fillSizes();
    void chooseColor();
    void updateSample();
    QString selectedFamily() const;

    QFont initial_;
    int initialPoints_ = 0;
    int initialStyle_ = 0;
    QColor color_;

    QLineEdit* filter_ = nullptr;
    QListWidget* families_ = nullptr;
    QListWidget* styles_ = nullptr;
    QSpinBox* size_ = nullptr;
    QListWidget* sizes_ = nullptr;
    QCheckBox* strikeOut_ = nullptr;
    QCheckBox* underline_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QLabel* sample_ = nullptr;
};

} // namespace orlenth
