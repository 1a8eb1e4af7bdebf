#include "app/Unitabout.h"

#include "app/FormDescription.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"

#include <iterator>
#include <utility>

namespace orlenth {

namespace {

std::function<platform::MemoryStatus()>& memorySource() {
    static std::function<platform::MemoryStatus()> source = [] {
        return platform::ReadMemoryStatus();
    };
    return source;
}

} // namespace

TaboutKestrow::TaboutKestrow(TComponent* owner) : TCustomForm(owner) {
    ReadFormDescription(*this);
}

void TaboutKestrow::SetMemorySource(std::function<platform::MemoryStatus()> source) {
    memorySource() = source ? std::move(source) : [] { return platform::ReadMemoryStatus(); };
}

QByteArray TaboutKestrow::InformationText() {
    static const char* const lines[] = {
        "Orlenth——",
        "自由|免费|绿色|内涵丰富的电子文集！",
        "(遵循CopyFree规则，请放心自由使用。)",
        "敬请期待更精彩的下一版本。",
        "",
        "",
        "官方网站：http://www.kestrow.example/",
        "",
        "",
        "Kestrow软件实验室——",
        "真诚为本，自由为尊！",
    };
    QString text;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        if (i > 0) text += QLatin1Char('\r');
        text += QString::fromUtf8(lines[i]);
    }
    return QByteArray::fromStdString(UnicodeToGbk(text));
}

void TaboutKestrow::FormShow(TComponent*) {
    // The figures of this moment; the text is not refreshed while the window is open.
    const std::string text = platform::MemoryText(memorySource()());
    Label4Mem->SetCaption(QByteArray::fromStdString(text));
}

void TaboutKestrow::Image1Click(TComponent*) {
    const QByteArray gbk = InformationText();
    TMessageBoxRequest r;
    r.owner = Widget();
    r.text = GbkToUnicode(std::string_view(gbk.constData(), static_cast<std::size_t>(gbk.size())));
    r.caption = QStringLiteral("Orlenth");
    r.icon = TMessageIcon::Information;
    Dialogs().MessageBox(r);
}

void TaboutKestrow::Panel4MouseDown(TComponent*, int, int, int, int) {
    Panel4->SetBevelOuter(TPanel::bvLowered);
    Panel4->SetBevelInner(TPanel::bvLowered);
}

void TaboutKestrow::Panel4MouseUp(TComponent*, int, int, int, int) {
    Panel4->SetBevelOuter(TPanel::bvRaised);
    Panel4->SetBevelInner(TPanel::bvRaised);
    Close();
}

void TaboutKestrow::FormKeyPress(TComponent*, char& key) {
    if (key == 13 || key == 27) Close();
}

} // namespace orlenth
