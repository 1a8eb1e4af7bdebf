// The splash and About windows as a user meets them, with real modal loops.

#include "tests/app/AppFixture.h"

#include "app/Unit1satrye.h"
#include "app/Unitabout.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"
#include "framework/ui/Timer.h"

#include <QAccessible>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace orlenth;

namespace {

// Runs the window modally for real and acts on it once its loop runs; returns whether
// the showing ended (within a bound, so a window that stays open fails the test).
bool showModalAnd(apptest::TDialogLog& log, TCustomForm& form, const std::function<void()>& act,
                  bool expectClosed) {
    log.modalLoop = [](QWidget& w) {
        // The real loop of the platform; a guard timer ends it if nothing else does.
        QEventLoop loop;
        QObject::connect(&loop, &QObject::destroyed, [] {});
        w.setWindowModality(Qt::ApplicationModal);
        w.show();
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(1500);
        struct Watch : QObject {
            QEventLoop* l;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Hide) l->quit();
                return false;
            }
        } watch;
        watch.l = &loop;
        w.installEventFilter(&watch);
        loop.exec();
        w.removeEventFilter(&watch);
        return 2;
    };
    QTimer::singleShot(20, act);
    form.ShowModal();
    log.modalLoop = nullptr;
    const bool closed = !form.Widget()->isVisible();
    form.Widget()->hide();
    return closed == expectClosed;
}

} // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void splashClosesOnEnterEscAndClicksButNotSpace_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("closes");
        QTest::newRow("enter") << "enter" << true;
        QTest::newRow("esc") << "esc" << true;
        QTest::newRow("space") << "space" << false;
        QTest::newRow("letter") << "letter" << false;
        QTest::newRow("click_picture") << "picture" << true;
        QTest::newRow("click_caption") << "caption" << true;
        QTest::newRow("timer_tick") << "timer" << true;
    }
    void splashClosesOnEnterEscAndClicksButNotSpace() {
        QFETCH(QString, how);
        QFETCH(bool, closes);
        auto& log = apptest::SetUpProgram();
        TstarYe splash;
        QCOMPARE(splash.Timer1->Interval(), 4000);
        QVERIFY(splash.Timer1->Enabled());
        QWidget* w = splash.Widget();
        const bool ok = showModalAnd(
            log, splash,
            [&] {
                if (how == "enter") QTest::keyClick(w, Qt::Key_Return);
                if (how == "esc") QTest::keyClick(w, Qt::Key_Escape);
                if (how == "space") QTest::keyClick(w, Qt::Key_Space);
                if (how == "letter") QTest::keyClick(w, Qt::Key_A);
                if (how == "picture")
                    QTest::mouseClick(splash.Image1->Widget(), Qt::LeftButton, {}, {200, 300});
                if (how == "caption")
                    QTest::mouseClick(splash.Label1->Widget(), Qt::LeftButton, {}, {10, 100});
                if (how == "timer")
                    splash.Timer1->Fire("OnTimer", Q_ARG(orlenth::TComponent*, splash.Timer1));
            },
            closes);
        QVERIFY2(ok, qPrintable(how));
    }

    void splashIsLaidOutAsItsDescriptionSays() {
        apptest::SetUpProgram();
        TstarYe splash;
        QCOMPARE(QString::fromStdString(splash.Name()), QStringLiteral("starYe"));
        QCOMPARE(splash.BorderStyle(), TCustomForm::bsNone);
        QCOMPARE(splash.ClientWidth(), 360);
        QCOMPARE(splash.ClientHeight(), 480);
        QCOMPARE(splash.Widget()->size(), QSize(364, 484)); // a 2-pixel band around the client
        QCOMPARE(splash.Image1->Picture()->Image().size(), QSize(360, 480));
        QCOMPARE(GbkToUnicode(splash.Label1->Caption().toStdString()),
                 QString::fromUtf8("扩展文集  第⑴集"));
        QCOMPARE(splash.Label1->Font()->Height(), -21);
        // The labels stand left-aligned by their stored left: Label2 first, then Label1, over
        // the picture's left part (client coordinates start inside the band).
        QCOMPARE(splash.Label2->Widget()->geometry(), QRect(2, 2, 40, 480));
        QCOMPARE(splash.Label1->Widget()->geometry(), QRect(42, 2, 28, 480));
        QCOMPARE(splash.Label1->Left(), 40);
        // The picture too: the band is as wide on every side.
        QCOMPARE(splash.Image1->Widget()->geometry(), QRect(2, 2, 360, 480));
    }

    void aboutIsLaidOutAsItsDescriptionSays() {
        apptest::SetUpProgram();
        TaboutKestrow about;
        QCOMPARE(QString::fromStdString(about.Name()), QStringLiteral("aboutKestrow"));
        QCOMPARE(GbkToUnicode(about.Caption().toStdString()), QString::fromUtf8("关于Kestrow软件"));
        QCOMPARE(about.BorderStyle(), TCustomForm::bsSingle);
        QCOMPARE(about.ClientWidth(), 327);
        QCOMPARE(about.ClientHeight(), 332);
        QCOMPARE(about.Color(), 0x00EFF3F7);
        QCOMPARE(about.Image1->Picture()->Image().size(), QSize(62, 96));
        QCOMPARE(about.Image1->Cursor(), -20); // the help cursor
        QCOMPARE(about.Panel4->Widget()->geometry(), QRect(106, 293, 122, 22));
        QCOMPARE(about.Panel4->BevelInner(), TPanel::bvRaised);
        QCOMPARE(about.Panel4->BevelOuter(), TPanel::bvRaised);
        QCOMPARE(about.Panel4->Color(), about.Color()); // the window's colour
        QCOMPARE(about.Panel4->Widget()->cursor().shape(), Qt::PointingHandCursor);
    }

    void sideWindowsAreNamedFramesWithReadableLabels() {
        apptest::SetUpProgram();
        TaboutKestrow about;
        TstarYe splash;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(about.Widget());
        QCOMPARE(a->role(), QAccessible::Window);
        QCOMPARE(a->text(QAccessible::Name), QString::fromUtf8("关于Kestrow软件"));
        QAccessibleInterface* s = QAccessible::queryAccessibleInterface(splash.Widget());
        QCOMPARE(s->role(), QAccessible::Window);
        // Untitled, the splash is the program's.
        QCOMPARE(s->text(QAccessible::Name), QGuiApplication::applicationDisplayName());
        QVERIFY(!s->text(QAccessible::Name).isEmpty());
        QAccessibleInterface* label =
            QAccessible::queryAccessibleInterface(splash.Label1->Widget());
        QCOMPARE(label->role(), QAccessible::StaticText);
        QCOMPARE(label->text(QAccessible::Name), QString::fromUtf8("扩展文集  第⑴集"));
    }

    void aboutShowsTheMemoryFigures() {
        apptest::SetUpProgram();
        TaboutKestrow::SetMemorySource([] {
            return platform::MemoryStatus{std::uint64_t{512} << 20, 37};
        });
        TaboutKestrow about;
        about.FormShow(nullptr);
        const QByteArray expected = QByteArray("\xCE\xEF\xC0\xED\xC4\xDA\xB4\xE6: \t") + "512" +
                                    QByteArray(" MB\r\r\xD2\xD1\xBE\xAD\xCA\xB9\xD3\xC3: \t") +
                                    "37 %";
        QCOMPARE(about.Label4Mem->Caption(), expected);
        TaboutKestrow::SetMemorySource(nullptr);
    }

    void logoShowsTheInformationMessageEachTime() {
        auto& rec = apptest::SetUpProgram();
        TaboutKestrow about;
        QTest::mouseClick(about.Image1->Widget(), Qt::LeftButton);
        QTest::mouseClick(about.Image1->Widget(), Qt::LeftButton);
        QCOMPARE(rec.boxes.size(), std::size_t{2});
        const auto& box = rec.boxes[0];
        QCOMPARE(box.caption, QStringLiteral("Orlenth"));
        QCOMPARE(box.icon, TMessageIcon::Information);
        const QStringList lines = box.text.split(QLatin1Char('\r'));
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QString::fromUtf8("Orlenth——"));
        QCOMPARE(lines[10], QString::fromUtf8("真诚为本，自由为尊！"));
        QVERIFY(!box.text.contains(QLatin1Char('\n')));
    }

    void closePanelSinksAndClosesOnRelease_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << int(Qt::LeftButton);
        QTest::newRow("right") << int(Qt::RightButton);
    }
    void closePanelSinksAndClosesOnRelease() {
        QFETCH(int, button);
        auto& log = apptest::SetUpProgram();
        TaboutKestrow about;
        QWidget* panel = about.Panel4->Widget();
        const auto b = static_cast<Qt::MouseButton>(button);
        const bool ok = showModalAnd(
            log, about,
            [&] {
                QTest::mousePress(panel, b, {}, {10, 10});
                QCOMPARE(about.Panel4->BevelOuter(), TPanel::bvLowered);
                QCOMPARE(about.Panel4->BevelInner(), TPanel::bvLowered);
                // Released away from the panel: still closes.
                QTest::mouseRelease(panel, b, {}, {300, 200});
            },
            true);
        QVERIFY(ok);
        QCOMPARE(about.Panel4->BevelOuter(), TPanel::bvRaised);
        QCOMPARE(about.Panel4->BevelInner(), TPanel::bvRaised);
    }

    void aboutClosesOnEnterButNotOnOtherKeys() {
        auto& log = apptest::SetUpProgram();
        TaboutKestrow about;
        QVERIFY(showModalAnd(
            log, about, [&] { QTest::keyClick(about.Widget(), Qt::Key_X); }, false));
        QVERIFY(showModalAnd(
            log, about, [&] { QTest::keyClick(about.Widget(), Qt::Key_Enter); }, true));
    }

    // Qt's own dialogs speak the program's language, not the desktop's.
    void qtDialogTextsAreChinese() {
        QLocale::setDefault(QLocale::English);
        apptest::SetUpProgram();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
        QCOMPARE(QCoreApplication::translate("QFontDialog", "Select Font"), QString("选择字体"));
    }
};

QTEST_MAIN(SideWindowsTest)
#include "side_windows_test.moc"
