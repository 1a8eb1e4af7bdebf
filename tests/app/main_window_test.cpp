// The main window as a user meets it: start-up with and without a folder, categories and
// titles, the ruled page's geometry. Offscreen platform; modal windows return at once.

#include "tests/app/AppFixture.h"

#include "app/FormDescription.h"
#include "app/Program.h"
#include "app/ProgramIcon.h"
#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Actions.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/TrackBar.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"
#include "resource/EmbeddedStreams.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

using namespace orlenth;
using apptest::Gbk;

namespace {

QByteArray itemText(TWJKStringList* list, int item) {
    return QByteArray::fromStdString(list->GetArrayItem(item)->GetList().Text());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QAccessibleInterface* accessibleOf(TControl* control) {
    return QAccessible::queryAccessibleInterface(control->Widget());
}

QStringList childNames(QAccessibleInterface* iface) {
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i) names << iface->child(i)->text(QAccessible::Name);
    return names;
}

// What a screen reader is told of each tool button, in bar order.
struct SpokenButton {
    TToolButton* TOrlenth::*button;
    const char* name;
    QAccessible::Role role;
    const char* description;
    bool pressable;
};
const SpokenButton kSpokenButtons[] = {
    {&TOrlenth::ToolButton3, "菜单", QAccessible::ButtonMenu, "", true},
    {&TOrlenth::ToolButton9, "", QAccessible::Separator, "", false},
    {&TOrlenth::ToolButton1, "字体", QAccessible::Button, "改变文本字体", true},
    {&TOrlenth::ToolButton2, "背景", QAccessible::Button, "改变文本背景色", true},
    {&TOrlenth::ToolButton4, "隐藏", QAccessible::Button, "隐藏或显示列表框", true},
    {&TOrlenth::ToolButton5, "前进", QAccessible::Button, "", true},
    {&TOrlenth::ToolButton6, "后退", QAccessible::Button, "", true},
    {&TOrlenth::ToolButton7, "滚屏", QAccessible::Button, "开始或结束滚屏", true},
    {&TOrlenth::ToolButton13, "上翻页", QAccessible::Button, "", true},
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void screenReadersMeetANamedFrameAndNamedButtons() {
        apptest::SetUpProgram();
        TOrlenth form;
        QAccessibleInterface* window = accessibleOf(&form);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name),
                 GbkToUnicode(TOrlenth::ApplicationTitle().toStdString()));
        for (const SpokenButton& b : kSpokenButtons) {
            QAccessibleInterface* iface = accessibleOf(form.*b.button);
            const QString name = QString::fromUtf8(b.name);
            QCOMPARE(iface->text(QAccessible::Name), name);
            QCOMPARE(iface->role(), b.role);
            QCOMPARE(iface->text(QAccessible::Description), QString::fromUtf8(b.description));
            QCOMPARE(iface->actionInterface()->actionNames().isEmpty(), !b.pressable);
        }
        // The page scrolling shows as the scrolling button held down.
        QAccessibleInterface* scroll = accessibleOf(form.ToolButton7);
        QVERIFY(!scroll->state().pressed);
        scroll->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(form.Timer1->Enabled());
        QVERIFY(scroll->state().pressed);
    }

    void pressingForwardThroughAccessibilityOpensTheNextTitle() {
        apptest::SetUpProgram();
        TOrlenth form;
        QAccessibleInterface* list = accessibleOf(form.ListBox1);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->childCount(), 27);
        QVERIFY(list->child(0)->state().selected);
        accessibleOf(form.ToolButton5)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList0, 2));
        QVERIFY(!list->child(0)->state().selected);
        QVERIFY(list->child(1)->state().selected);
        QCOMPARE(list->child(1)->role(), QAccessible::ListItem);
        QCOMPARE(list->child(1)->text(QAccessible::Name),
                 GbkToUnicode(form.ListBox1->Items()->Get(1).toStdString()));
        // Choosing a title through its item opens it as a click does.
        list->child(5)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList0, 6));
        QCOMPARE(list->indexOfChild(list->child(5)), 5);
    }

    void tabsAreNamedPageTabsThatSelect() {
        apptest::SetUpProgram();
        TOrlenth form;
        QAccessibleInterface* strip = accessibleOf(form.TabSet1);
        QCOMPARE(strip->role(), QAccessible::PageTabList);
        const QStringList names = childNames(strip);
        QCOMPARE(names.size(), 5);
        QCOMPARE(names.front(), QString::fromUtf8("推荐"));
        QCOMPARE(names.back(), QStringLiteral("Kestrow"));
        QCOMPARE(strip->child(0)->role(), QAccessible::PageTab);
        QVERIFY(strip->child(0)->state().selected && !strip->child(2)->state().selected);
        strip->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(form.TabSet1->TabIndex(), 2);
        QVERIFY(!strip->child(0)->state().selected && strip->child(2)->state().selected);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList2, 1));
        QCOMPARE(childNames(accessibleOf(form.ListBox1)).front(),
                 GbkToUnicode(form.ListBox1->Items()->Get(0).toStdString()));
    }

    void tabKeyReachesTabsTitlesPageAndButtons() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowActive(form.Widget()));
        QWidget* area = form.ScrollBox1->Widget();
        const QImage unfocused = area->grab().toImage();
        form.TabSet1->Widget()->setFocus();
        const std::vector<QWidget*> expected{
            form.ListBox1->Widget(),     form.ScrollBox1->ClientWidget(),
            form.ToolButton3->Widget(),  form.ToolButton1->Widget(),
            form.ToolButton2->Widget(),  form.ToolButton4->Widget(),
            form.ToolButton5->Widget(),  form.ToolButton6->Widget(),
            form.ToolButton7->Widget(),  form.ToolButton13->Widget(),
            form.ToolButton12->Widget(), form.TabSet1->Widget()};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(QApplication::focusWidget() == next,
                     qPrintable(QApplication::focusWidget()->objectName()));
            // The page shows that it has the keys, to the eye and to a screen reader;
            // otherwise it looks as it always did.
            const bool onPage = next == form.ScrollBox1->ClientWidget();
            QCOMPARE(accessibleOf(form.PaintBox1)->state().focused, onPage);
            if (onPage) QVERIFY(area->grab().toImage() != unfocused);
        }
        QCOMPARE(area->grab().toImage(), unfocused);
        // The keys do on the focused control what a click does.
        QTest::keyClick(form.TabSet1->Widget(), Qt::Key_Right);
        QCOMPARE(form.TabSet1->TabIndex(), 1);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList1, 1));
        QTest::keyClick(form.ToolButton5->Widget(), Qt::Key_Space);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList1, 2));
    }

    void pageReadsAsTheArticleItShows() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QAccessibleInterface* page = accessibleOf(form.PaintBox1);
        QCOMPARE(page->role(), QAccessible::EditableText);
        QCOMPARE(page->text(QAccessible::Name), QString::fromUtf8("出师表"));
        QVERIFY(page->state().readOnly);
        QAccessibleTextInterface* text = page->textInterface();
        QVERIFY(text);
        const QString article = GbkToUnicode(form.Memo1->Text().toStdString());
        QCOMPARE(text->characterCount(), article.size());
        QCOMPARE(text->text(0, 12), article.left(12));
        // Lines are the lines on the page.
        const auto unicodeOffset = [&](int line) {
            return static_cast<int>(
                GbkToUnicode(form.Memo1->Text().left(form.Memo1->LineStart(line)).toStdString())
                    .size());
        };
        int start = -1, end = -1;
        const QString line3 =
            text->textAtOffset(unicodeOffset(3) + 1, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, unicodeOffset(3));
        QCOMPARE(end, unicodeOffset(4));
        QVERIFY(line3.startsWith(DisplayTextToUnicode(form.Memo1->Line(3))));
        // Where a character stands: on its line, after the ones before it.
        const QRect first = text->characterRect(unicodeOffset(3)),
                    second = text->characterRect(unicodeOffset(3) + 1);
        QCOMPARE(second.top(), first.top());
        QVERIFY(second.left() > first.left());
        QVERIFY(text->characterRect(unicodeOffset(4)).top() > first.top());
        QCOMPARE(text->characterRect(-1), QRect());
        QCOMPARE(text->offsetAtPoint(second.center()), unicodeOffset(3) + 1);
        // Reading starts at the top of the part in view.
        QCOMPARE(text->cursorPosition(), 0);
        form.ScrollBox1->SetVertPosition(10 * form.LinePitch());
        QCOMPARE(text->cursorPosition(), unicodeOffset(10));
        // Another article is read, not the old one.
        accessibleOf(form.ToolButton5)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        const QString next = GbkToUnicode(itemText(form.WJKStringList0, 2).toStdString());
        QCOMPARE(text->text(0, 12), next.left(12));
        QCOMPARE(page->text(QAccessible::Name), QString::fromUtf8("桃花源记"));
        QCOMPARE(text->cursorPosition(), 0);
    }

    // The strip and the list are named for what they choose; the chosen category and title
    // are their selected items, and follow a change.
    void stripAndListNameThemselvesAndTheirCurrentItem() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        const auto current = [](QAccessibleInterface* iface) {
            QStringList names;
            for (int i = 0; i < iface->childCount(); ++i)
                if (iface->child(i)->state().selected)
                    names << iface->child(i)->text(QAccessible::Name);
            return names;
        };
        QAccessibleInterface* strip = accessibleOf(form.TabSet1);
        QAccessibleInterface* titles = accessibleOf(form.ListBox1);
        QCOMPARE(strip->text(QAccessible::Name), QString::fromUtf8("分类"));
        QCOMPARE(titles->text(QAccessible::Name), QString::fromUtf8("标题"));
        QCOMPARE(current(titles), QStringList{QString::fromUtf8("出师表")});
        const QString second = DisplayTextToUnicode(form.TabSet1->Tabs()->Get(1));
        form.TabSet1->SetTabIndex(1);
        QCOMPARE(current(strip), QStringList{second});
        QCOMPARE(current(titles), QStringList{DisplayTextToUnicode(
                                      form.ListBox1->Items()->Get(form.ListBox1->ItemIndex()))});
    }

    void startsWithTheFirstCategory() {
        auto& rec = apptest::SetUpProgram();
        TOrlenth form;
        QCOMPARE(rec.modalWindows, std::vector<QString>{QStringLiteral("starYe")});
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.TabSet1->Tabs()->Count(), 5);
        QCOMPARE(form.TabSet1->TabIndex(), 0);
        QCOMPARE(form.ListBox1->Count(), 27);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Caption(), TOrlenth::ApplicationTitle());
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList0, 1));
        QVERIFY(form.Memo1->LineCount() > 0);
    }

    void stripListAndSpeedAreAsTheirDescriptionSays() {
        apptest::SetUpProgram();
        TOrlenth form;
        QVERIFY(!form.Splitter1->AutoSnap());
        QCOMPARE(form.Splitter1->Widget()->cursor().shape(), Qt::SplitHCursor);
        QCOMPARE(form.Splitter1->ResizedControl(), static_cast<TControl*>(form.Panel1));

        QCOMPARE(GbkToUnicode(form.TabSet1->Tabs()->Get(0).toStdString()),
                 QString::fromUtf8("推荐"));
        QCOMPARE(GbkToUnicode(form.TabSet1->Tabs()->Get(4).toStdString()),
                 QStringLiteral("Kestrow"));
        QVERIFY(form.TabSet1->SoftTop());
        QVERIFY(!form.TabSet1->DitherBackground());
        QCOMPARE(form.TabSet1->SelectedColor(), 0x00EFF3F7);
        QCOMPARE(form.TabSet1->Font()->Height(), -13);
        QCOMPARE(form.TabSet1->Widget()->width(), 202);
        QVERIFY(!form.TabSet1->ScrollerVisible()); // the five categories fit the panel

        QCOMPARE(form.ListBox1->Style(), TListBox::lbOwnerDrawVariable);
        QCOMPARE(form.ListBox1->BorderStyle(), TListBox::bsNone);
        QCOMPARE(form.ListBox1->RowHeight(), 20);
        QVERIFY(form.ListBox1->ParentColor());
        QCOMPARE(form.ListBox1->Color(), 0x00DEEBEF);             // the panel's colour
        QCOMPARE(form.ListBox1->EffectiveFont().pixelSize(), 13); // the window's font
        // The list's click reaches the window's handler, which opens the row's article.
        form.ListBox1->SetItemIndex(3);
        QVERIFY(form.ListBox1->Fire("OnClick", Q_ARG(orlenth::TComponent*, form.ListBox1)));
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList0, 4));

        QCOMPARE(form.TrackBar1->Min(), 1);
        QCOMPARE(form.TrackBar1->Max(), 300);
        QCOMPARE(form.TrackBar1->Slider()->value(), 150);
        QCOMPARE(form.TrackBar1->PageSize(), 30);
        QCOMPARE(form.TrackBar1->Frequency(), 30);
        QCOMPARE(form.TrackBar1->ThumbLength(), 14);
        QVERIFY(!form.TrackBar1->Visible());
    }

    void readingAreaIsAsItsDescriptionSays() {
        apptest::SetUpProgram();
        TOrlenth form;
        TScrollBox* area = form.ScrollBox1;
        QCOMPARE(area->BorderStyle(), TScrollBox::bsNone);
        QVERIFY(area->VertScrollBar()->Smooth() && area->VertScrollBar()->Tracking());
        QCOMPARE(area->VertScrollBar()->Increment(), 8);
        QCOMPARE(area->Color(), 0x00DEEBEF); // Panel2's colour
        QCOMPARE(area->PopupMenu(), static_cast<TPopupMenuBase*>(form.PopupMenu1));
        QCOMPARE(form.PaintBox1->Parent(), static_cast<TWinControl*>(area));
        QCOMPARE(form.PaintBox1->Tag(), 20);
        QCOMPARE(form.PaintBox1->Color(), 0x00E7FAF0);
        // Panel2's font reaches the page and the wrap engine through the area.
        QCOMPARE(GbkToUnicode(form.PaintBox1->Font()->Name().toStdString()),
                 QString::fromUtf8("宋体"));
        QCOMPARE(form.PaintBox1->Font()->Height(), -14);
        QCOMPARE(form.Memo1->Font()->Height(), -14);
        QCOMPARE(form.Memo1->Color(), 0x00DEEBEF);
        QVERIFY(!form.Memo1->Visible());
        form.Show();
        QCOMPARE(area->Widget()->size(), QSize(500, 396)); // the panel inside its bevel
    }

    void tabsAndRowsOpenTheirArticles() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.ScrollBox1->SetVertPosition(40);
        form.TabSet1->SetTabIndex(2); // 军事
        QCOMPARE(form.ListBox1->Count(), 116);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList2, 1));

        form.TabSet1->SetTabIndex(0);
        form.ListBox1->SetItemIndex(3);
        form.ScrollBox1->SetVertPosition(100);
        form.ListBox1Click(nullptr);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList0, 4));
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);

        form.TabSet1->SetTabIndex(4); // Kestrow: four titles, the last is the last item
        QCOMPARE(form.ListBox1->Count(), 4);
        form.ListBox1->SetItemIndex(3);
        form.ListBox1Click(nullptr);
        QCOMPARE(form.Memo1->Text(), itemText(form.WJKStringList4, 4));

        // Re-selecting the selected tab reloads nothing.
        form.ListBox1->SetItemIndex(1);
        form.TabSet1->SetTabIndex(4);
        QCOMPARE(form.ListBox1->ItemIndex(), 1);
    }

    void folderArgumentAddsItsTab() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/书库");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/notes.txt"))); // a folder named like a file
        writeFile(folder + QStringLiteral("/甲.txt"), Gbk("第一行\r\n第二行\r\n"));
        writeFile(folder + QStringLiteral("/b.TXT"), QByteArray("upper case\n"));
        writeFile(folder + QStringLiteral("/c.md"), QByteArray("not listed"));
        auto& rec = apptest::SetUpProgram((folder + QStringLiteral("/a.txt")).toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.TabSet1->Tabs()->Count(), 6);
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QVERIFY(form.TabSet1->ScrollerVisible()); // the sixth tab no longer fits the panel
        QCOMPARE(DisplayTextToUnicode(form.TabSet1->Tabs()->Get(5).toStdString()),
                 QStringLiteral("书库"));
        QCOMPARE(form.ListBox1->Count(), 3);
        QStringList rows;
        for (int i = 0; i < form.ListBox1->Count(); ++i)
            rows << DisplayTextToUnicode(form.ListBox1->Items()->Get(i).toStdString());
        rows.sort();
        QCOMPARE(rows, (QStringList{QStringLiteral("b.TXT"), QStringLiteral("notes.txt"),
                                    QStringLiteral("甲.txt")}));
        // Every row opens: files load, the folder loads nothing and keeps the text.
        for (int i = 0; i < form.ListBox1->Count(); ++i) {
            const QByteArray before = form.Memo1->Text();
            form.ListBox1->SetItemIndex(i);
            form.ListBox1Click(nullptr);
            const QString row = DisplayTextToUnicode(form.ListBox1->Items()->Get(i).toStdString());
            if (row == QStringLiteral("甲.txt"))
                QCOMPARE(form.Memo1->Text(), Gbk("第一行\r\n第二行\r\n"));
            else if (row == QStringLiteral("b.TXT"))
                QCOMPARE(form.Memo1->Text(), QByteArray("upper case\n"));
            else
                QCOMPARE(form.Memo1->Text(), before);
        }
        QVERIFY(rec.boxes.empty());
    }

    void utf8NamesAndTextsKeepEveryCharacter() {
        // Characters GBK lacks (an emoji, a CJK extension B ideograph) in a file's name
        // and text survive on their way to the rows and the page.
        QTemporaryDir dir;
        const QString name = QString::fromUtf8("笔记😀\U00020000.txt");
        const QString text = QString::fromUtf8("第一行 \U00020000 😀\n第二行\n");
        writeFile(dir.path() + QLatin1Char('/') + name, text.toUtf8());
        auto& rec = apptest::SetUpProgram((dir.path() + QLatin1Char('/')).toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.ListBox1->Count(), 1);
        QCOMPARE(DisplayTextToUnicode(form.ListBox1->Items()->Get(0).toStdString()), name);
        QCOMPARE(form.Memo1->LineCount(), 2);
        QCOMPARE(DisplayTextToUnicode(form.Memo1->Line(0).toStdString()),
                 QString::fromUtf8("第一行 \U00020000 😀"));
    }

    void hundredMegabyteNovelOpensAndScrollsToItsEnd() {
        QTemporaryDir dir;
        QByteArray chapter;
        for (int i = 0; i < 200; ++i)
            chapter += Gbk("天下大势，分久必合，合久必分。周末七国分争，并入于秦。\r\n");
        QByteArray novel;
        novel.reserve(100'000'000 + chapter.size());
        while (novel.size() < 100'000'000) novel += chapter;
        novel += Gbk("全书完\r\n");
        writeFile(dir.path() + QStringLiteral("/novel.txt"), novel);
        novel.clear();
        auto& rec = apptest::SetUpProgram((dir.path() + QLatin1Char('/')).toStdString());
        TOrlenth form;
        // The start is there at once; the rest comes in the background, and the page grows
        // with it until it holds every line.
        QVERIFY(form.Memo1->LineCount() > 0);
        form.Show();
        QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 60'000);
        const int lines = form.Memo1->LineCount();
        QCOMPARE(form.Memo1->FinalLineCount(), lines);
        QTRY_COMPARE(form.PaintBox1->Height(), lines * 31);
        QVERIFY(rec.boxes.empty());
        QVERIFY(lines > 1'000'000);
        // Taller than any widget may be, and still exactly lines × pitch.
        QVERIFY(form.PaintBox1->Height() > 16'777'215);
        form.ScrollBox1->SetVertPosition(std::numeric_limits<int>::max());
        QCOMPARE(form.ScrollBox1->VertPosition(), form.ScrollBox1->MaxVertPosition());
        QCOMPARE(form.ScrollBox1->MaxVertPosition(),
                 2 + lines * 31 - form.ScrollBox1->ClientHeight());
        QCOMPARE(DisplayTextToUnicode(form.Memo1->Line(lines - 1).toStdString()),
                 QString::fromUtf8("全书完"));
        // The last line is on screen: ink where its text sits, 4 pixels into its cell.
        QImage screen(form.ScrollBox1->Widget()->size(), QImage::Format_RGB32);
        form.ScrollBox1->Widget()->render(&screen);
        const auto lastTop = static_cast<int>(2 + std::int64_t{lines - 1} * 31 + 4 -
                                              form.ScrollBox1->VertPosition());
        const int left = form.PaintBox1->Left() + 4;
        const QRgb paper = screen.pixel(left + 200, lastTop + 7);
        int ink = 0;
        for (int y = lastTop; y < lastTop + 14; ++y)
            for (int x = left; x < left + 42; ++x) ink += screen.pixel(x, y) != paper;
        QVERIFY(ink > 20);
    }

    void namesThatAreNotUtf8AndLongPathsOpen() {
        // A name in GBK bytes (not UTF-8) deep in a path of over 253 bytes: the row shows
        // it decoded from GB18030, and opening uses its bytes.
        QTemporaryDir dir;
        QByteArray folder = QFile::encodeName(dir.path());
        for (int i = 0; i < 6; ++i) {
            folder += "/" + QByteArray(50, char('a' + i));
            QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        }
        QVERIFY(folder.size() > 253);
        const QByteArray name = Gbk("旧文") + ".txt";
        // QTemporaryDir cannot remove a name it cannot decode.
        const auto cleanUp = qScopeGuard([&] { ::unlink((folder + "/" + name).constData()); });
        {
            const int fd = ::open((folder + "/" + name).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            const QByteArray text = Gbk("旧文一篇\r\n");
            QCOMPARE(::write(fd, text.constData(), static_cast<std::size_t>(text.size())),
                     static_cast<ssize_t>(text.size()));
            ::close(fd);
        }
        auto& rec = apptest::SetUpProgram((folder + "/").toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.ListBox1->Count(), 1);
        const QString row = DisplayTextToUnicode(form.ListBox1->Items()->Get(0).toStdString());
        QCOMPARE(row, QString::fromUtf8("旧文.txt"));
        QCOMPARE(form.Memo1->Text(), Gbk("旧文一篇\r\n"));
    }

    void firstFileThatFailsLeavesTheWindowConsistent() {
        // The first row is a sparse file past the wrap engine's capacity; the others are
        // a text, a FIFO, a link to an endless device and a socket. Start-up must not
        // hang, shows one box, and leaves strip, list and page agreeing.
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path());
        writeFile(dir.path() + QStringLiteral("/a.txt"), QByteArray());
        QCOMPARE(::truncate(path + "/a.txt", off_t{512} * 1024 * 1024 + 1), 0);
        writeFile(dir.path() + QStringLiteral("/b.txt"), Gbk("第二篇\r\n"));
        QCOMPARE(::mkfifo(path + "/c.txt", 0644), 0);
        QCOMPARE(::symlink("/dev/zero", path + "/d.txt"), 0);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray socket = path + "/e.txt";
        QVERIFY(fd >= 0 && static_cast<std::size_t>(socket.size()) < sizeof addr.sun_path);
        std::memcpy(addr.sun_path, socket.constData(), static_cast<std::size_t>(socket.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        auto& rec = apptest::SetUpProgram((dir.path() + QLatin1Char('/')).toStdString());
        TOrlenth form;
        ::close(fd);
        QCOMPARE(rec.boxes.size(), std::size_t{1});
        QCOMPARE(rec.boxes[0].text, QStringLiteral("Text exceeds memo capacity."));
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(form.ListBox1->Count(), 5);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Caption(), TOrlenth::ApplicationTitle());
        QCOMPARE(form.Memo1->Text(), QByteArray("\r\n")); // nothing loaded: the start text
        // Rows open as usual; the FIFO, the device and the socket load nothing, at once.
        for (int row = 1; row < 5; ++row) {
            form.ListBox1->SetItemIndex(row);
            form.ListBox1Click(nullptr);
            QCOMPARE(form.Memo1->Text(), Gbk("第二篇\r\n"));
        }
        QCOMPARE(rec.boxes.size(), std::size_t{1});
        // Leaving the tab and coming back reports the first row again, and still switches.
        form.TabSet1->SetTabIndex(1);
        QCOMPARE(form.ListBox1->Count(), 54);
        form.TabSet1->SetTabIndex(5);
        QCOMPARE(rec.boxes.size(), std::size_t{2});
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(form.ListBox1->Count(), 5);
        // Laid out as after a start that went well (last: the folder follows the argument);
        // the page still holds the article shown before the tab came back.
        {
            QTemporaryDir good;
            writeFile(good.path() + QStringLiteral("/a.txt"), QByteArray("\r\n"));
            apptest::SetUpProgram((good.path() + QLatin1Char('/')).toStdString());
            TOrlenth normal;
            const QRect page = form.PaintBox1->Bounds(), normalPage = normal.PaintBox1->Bounds();
            QCOMPARE(page.topLeft(), normalPage.topLeft());
            QCOMPARE(page.width(), normalPage.width());
            QCOMPARE(page.height(), form.Memo1->LineCount() * form.LinePitch());
            QCOMPARE(form.Memo1->Width(), normal.Memo1->Width());
        }
    }

    void argumentNamingAFileOpensItsRow() {
        // Rows in reading order (numbers as numbers), and the row the argument names is
        // the one selected and shown.
        QTemporaryDir dir;
        for (const char* name : {"第10章", "第2章", "第1章"})
            writeFile(dir.path() + QLatin1Char('/') + QString::fromUtf8(name) + ".txt", Gbk(name));
        auto& rec =
            apptest::SetUpProgram((dir.path() + QString::fromUtf8("/第2章.txt")).toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QStringList rows;
        for (int i = 0; i < form.ListBox1->Count(); ++i)
            rows << DisplayTextToUnicode(form.ListBox1->Items()->Get(i));
        QCOMPARE(rows, (QStringList{QString::fromUtf8("第1章.txt"), QString::fromUtf8("第2章.txt"),
                                    QString::fromUtf8("第10章.txt")}));
        QCOMPARE(form.ListBox1->ItemIndex(), 1);
        QCOMPARE(form.Memo1->Text(), Gbk("第2章"));
    }

    void damagedDescriptionIsReportedAndTheProgramReturnsZero() {
        auto& rec = apptest::SetUpProgram();
        const std::string whole(EmbeddedStream("TORLENTH"));
        const std::string cut = whole.substr(0, whole.size() / 2);
        SetDescriptionSource([&](const std::string& name) {
            return name == "TORLENTH" ? std::string_view(cut) : EmbeddedStream(name);
        });
        const char* argv[] = {"orlenth"};
        const int status = RunProgram(1, argv);
        SetDescriptionSource(nullptr);
        QCOMPARE(status, 0);
        QCOMPARE(rec.boxes.size(), std::size_t{1});
        QCOMPARE(rec.boxes[0].icon, TMessageIcon::Stop);
        QVERIFY2(rec.boxes[0].text.endsWith(QStringLiteral("Stream read error.")),
                 qPrintable(rec.boxes[0].text));
        QVERIFY(rec.modalWindows.empty()); // the splash comes only after the description
    }

    void iconComesInTwoSizes() {
        const QIcon icon = ProgramIcon();
        QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        const QImage big = icon.pixmap(32, 32).toImage();
        QCOMPARE(qAlpha(big.pixel(1, 16)), 255); // the seal fills the square
        int character = 0;                       // pixels of the light character on the red seal
        for (int y = 6; y < 26; ++y)
            for (int x = 6; x < 26; ++x) character += qGreen(big.pixel(x, y)) > 128;
        QVERIFY(character > 20);
    }

    void pageHeightFollowsTheLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("one_break") << QByteArray("\r\n") << 1;
        QTest::newRow("ends_with_crlf") << Gbk("一\r\n二\r\n") << 2;
        QTest::newRow("bare_lf") << Gbk("一\n二\n") << 2;
        QTest::newRow("no_final_break") << Gbk("一\r\n二") << 2;
        QTest::newRow("empty_lines_kept") << QByteArray("a\r\n\r\n\r\nb\r\n") << 4;
    }
    void pageHeightFollowsTheLines() {
        QFETCH(QByteArray, text);
        QFETCH(int, lines);
        apptest::SetUpProgram();
        TOrlenth form;
        QCOMPARE(form.LinePitch(), 31);
        form.Memo1->SetText(text);
        form.PaintBox1Paint(nullptr);
        QCOMPARE(form.Memo1->LineCount(), lines);
        QCOMPARE(form.PaintBox1->Height(), lines * 31);
        QCOMPARE(form.ScrollBox1->VertRange(), 2 + lines * 31);
    }

    void twelvePointFontGivesPitch32() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.PaintBox1->Font()->SetHeight(-16);
        QCOMPARE(form.PageFontPoints(), 12);
        QCOMPARE(form.LinePitch(), 32);
    }

    void narrowingTheWindowRewraps() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QByteArray paragraph;
        for (int i = 0; i < 40; ++i) paragraph += Gbk("天下大势，分久必合，合久必分。");
        form.Memo1->SetText(paragraph + "\r\n");
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
        const int wideLines = form.Memo1->LineCount();
        const int wideWidth = form.PaintBox1->Width();
        // The window's resize alone re-runs the margins rule; the next paint re-measures.
        form.Widget()->resize(form.Widget()->width() - 250, form.Widget()->height());
        QCoreApplication::processEvents();
        QCOMPARE(form.PaintBox1->Width(), 2 * form.ScrollBox1->Width() / 3);
        QVERIFY(form.PaintBox1->Width() < wideWidth);
        form.PaintBox1Paint(nullptr);
        QVERIFY(form.Memo1->LineCount() > wideLines);
        QCOMPARE(form.PaintBox1->Height(), form.Memo1->LineCount() * 31);
        QCOMPARE(form.ScrollBox1->VertRange(), 2 + form.PaintBox1->Height());
    }

    // The reader stays where he was when the lines change under him, a new category opens
    // at its top, and the area's keys move the page once a click has given it the focus.
    void rewrapKeepsTheTopLineTabsOpenAtTheTopKeysMove() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QByteArray text;
        for (int i = 0; i < 400; ++i)
            text += Gbk("天下大势，分久必合，合久必分。") + QByteArray::number(i);
        form.Memo1->SetText(text + "\r\n");
        form.PaintBox1Paint(nullptr);
        QCoreApplication::processEvents();
        const int pitch = 31;
        form.ScrollBox1->SetVertPosition(40 * pitch + 5);
        const std::uint32_t topStart = form.Memo1->LineStart(40);
        const QByteArray topLine = form.Memo1->Line(40);
        form.BieJieExecute(nullptr); // narrow margins: wider lines, fewer of them
        const auto top = static_cast<int>(form.ScrollBox1->VertPosition() / pitch);
        QVERIFY(top < 40);
        QCOMPARE(form.ScrollBox1->VertPosition() % pitch, 5);
        QVERIFY(form.Memo1->LineStart(top) <= topStart);
        QVERIFY(top + 1 == form.Memo1->LineCount() || form.Memo1->LineStart(top + 1) > topStart);
        QVERIFY(form.Memo1->Line(top).contains(topLine.left(8)));

        QTest::mouseClick(form.PaintBox1->Widget(), Qt::LeftButton, {}, QPoint(20, 20));
        QWidget* area = form.ScrollBox1->ClientWidget();
        QCOMPARE(QApplication::focusWidget(), area);
        form.ScrollBox1->SetVertPosition(0);
        const int h = form.ScrollBox1->ClientHeight();
        const struct {
            Qt::Key key;
            std::int64_t expected;
        } keys[] = {{Qt::Key_PageDown, h - 42},
                    {Qt::Key_Down, h - 42 + form.ScrollBox1->LineStep()},
                    {Qt::Key_Up, h - 42},
                    {Qt::Key_PageUp, 0},
                    {Qt::Key_End, form.ScrollBox1->MaxVertPosition()},
                    {Qt::Key_Home, 0}};
        for (const auto& k : keys) {
            QTest::keyClick(area, k.key);
            QCOMPARE(form.ScrollBox1->VertPosition(), k.expected);
        }

        // The fourth category's first article is pages long.
        form.ScrollBox1->SetVertPosition(500);
        form.TabSet1->SetTabIndex(3);
        QVERIFY(form.ScrollBox1->MaxVertPosition() > 500);
        QCOMPARE(form.ScrollBox1->VertPosition(), 0);
    }

    void rulesAndLinesSitOnThePitch() {
        apptest::SetUpProgram();
        TOrlenth form;
        form.Show();
        QCoreApplication::processEvents();
        form.Memo1->SetText(Gbk("一二三\r\n四五六\r\n七八九\r\n"));
        form.PaintBox1Paint(nullptr);
        QImage page(form.PaintBox1->Width(), form.PaintBox1->Height(), QImage::Format_RGB32);
        form.PaintBox1->Widget()->render(&page);
        const QRgb paper = page.pixel(page.width() - 2, 1);
        auto inkIn = [&](int y0, int y1, int x0, int x1) {
            int n = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) n += page.pixel(x, y) != paper;
            return n;
        };
        // Rule of line 1 at 24 and of line 2 at 55: dotted, one pixel on, one off.
        for (const int y : {24, 55}) {
            QVERIFY(page.pixel(4, y) != paper);
            QVERIFY(page.pixel(5, y) == paper);
            QVERIFY(page.pixel(6, y) != paper);
            QCOMPARE(inkIn(y - 1, y, 4, 60), 0);
        }
        // Text of line i starts at 31 i + 4: ink in its cell, none between its rule
        // (11 pixels above) and the cell's top.
        for (const int i : {0, 1, 2}) {
            QVERIFY(inkIn(31 * i + 4, 31 * i + 4 + 14, 4, 60) > 10);
            QCOMPARE(inkIn(std::max(0, 31 * i - 6), 31 * i + 4, 4, 60), 0);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
