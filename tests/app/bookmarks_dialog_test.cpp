// The bookmarks window as a user meets it: keys on its rows, a bookmark whose file is gone,
// the empty window, and the owner's callbacks refusing. Modal runs go through the fake seam.

#include "tests/app/AppFixture.h"

#include "app/BookmarksDialog.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <ctime>

using namespace orlenth;

namespace {

// 2024-03-05 06:07 UTC, 1970-01-01 00:00 UTC, with the tests' time zone set to UTC.
constexpr qint64 kMarch = 1709618820000;

std::vector<TBookmarkRow> threeRows() {
    return {
        {QStringLiteral("a"), QStringLiteral("第一回"), QStringLiteral("话说天下大势，\n分久必合"),
         375, kMarch, false},
        {QStringLiteral("b"), QStringLiteral("第二回"), QStringLiteral("张翼德怒鞭督邮"), 1000, 0,
         false},
        {QStringLiteral("c"), QStringLiteral("旧书"), QStringLiteral("不会显示"), 5, 0, true},
    };
}

// The dialog over the three rows, recording what it asks of its owner.
struct Harness {
    QStringList calls; // "rename b 新" / "remove b"
    bool renameAnswer = true;
    bool removeAnswer = true;
    TBookmarksDialog dialog;

    explicit Harness(std::vector<TBookmarkRow> rows = threeRows())
        : dialog(
              std::move(rows),
              [this](const QString& id, const QString& title) {
                  calls << QStringLiteral("rename %1 %2").arg(id, title);
                  return renameAnswer;
              },
              [this](const QString& id) {
                  calls << QStringLiteral("remove %1").arg(id);
                  return removeAnswer;
              }) {}

    QTreeWidget* list() { return dialog.findChild<QTreeWidget*>(QStringLiteral("bookmarkList")); }
    QPushButton* button(const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QStringList titles() {
        QStringList t;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) t << list()->topLevelItem(i)->text(0);
        return t;
    }
    void show() {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
};

// The fake's modal run answers the rename dialog with `text`, or cancels it.
void answerRename(apptest::TDialogLog& log, const QString& text, bool accept = true) {
    log.modalLoop = [text, accept](QWidget& w) {
        auto* input = qobject_cast<QInputDialog*>(&w);
        if (!input) return int(QDialog::Rejected);
        input->setTextValue(text);
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    };
}

} // namespace

class BookmarksDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        ::tzset();
    }

    void rowsShowTitleOpeningPositionAndTime() {
        apptest::SetUpProgram();
        Harness h;
        QCOMPARE(h.dialog.windowTitle(), QStringLiteral("书签"));
        QTreeWidget* list = h.list();
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("标题"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("时间"));
        QCOMPARE(h.titles(), QStringList({"第一回", "第二回", "旧书"}));
        QTreeWidgetItem* first = list->topLevelItem(0);
        QCOMPARE(first->text(1), QStringLiteral("话说天下大势， 分久必合"));
        QCOMPARE(first->text(2), QStringLiteral("37.5%"));
        QCOMPARE(first->text(3), QStringLiteral("2024-03-05 06:07"));
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("100.0%"));
        QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("1970-01-01 00:00"));
        QTreeWidgetItem* gone = list->topLevelItem(2);
        QCOMPARE(gone->text(1), QStringLiteral("（文件已不存在）"));
        QCOMPARE(gone->text(2), QStringLiteral("0.5%"));
        QVERIFY(gone->foreground(0).color() != first->foreground(0).color());
        QCOMPARE(list->currentItem(), first);
    }

    void positionsOutsideTheTextAreItsEnds() {
        QCOMPARE(BookmarkPosition(-7), QStringLiteral("0.0%"));
        QCOMPARE(BookmarkPosition(0), QStringLiteral("0.0%"));
        QCOMPARE(BookmarkPosition(999), QStringLiteral("99.9%"));
        QCOMPARE(BookmarkPosition(1234), QStringLiteral("100.0%"));
    }

    void keysOnTheSecondRow_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("storeAgrees");
        QTest::addColumn<QString>("call");      // what the owner was asked, if anything
        QTest::addColumn<QStringList>("after"); // the titles left
        QTest::addColumn<QString>("current");   // the row under the keys afterwards
        QTest::addColumn<int>("result");        // -1: still open
        QTest::addColumn<QString>("chosen");
        const QStringList all{"第一回", "第二回", "旧书"};
        QTest::newRow("enter_goes") << int(Qt::Key_Return) << true << "" << all << "第二回"
                                    << int(QDialog::Accepted) << "b";
        QTest::newRow("keypad_enter_goes")
            << int(Qt::Key_Enter) << true << "" << all << "第二回" << int(QDialog::Accepted) << "b";
        QTest::newRow("delete_removes") << int(Qt::Key_Delete) << true << "remove b"
                                        << QStringList{"第一回", "旧书"} << "旧书" << -1 << "";
        QTest::newRow("delete_refused_keeps_it")
            << int(Qt::Key_Delete) << false << "remove b" << all << "第二回" << -1 << "";
        QTest::newRow("f2_renames")
            << int(Qt::Key_F2) << true << "rename b 新名字"
            << QStringList{"第一回", "新名字", "旧书"} << "新名字" << -1 << "";
        QTest::newRow("f2_refused_keeps_the_title")
            << int(Qt::Key_F2) << false << "rename b 新名字" << all << "第二回" << -1 << "";
        QTest::newRow("esc_closes")
            << int(Qt::Key_Escape) << true << "" << all << "第二回" << int(QDialog::Rejected) << "";
    }
    void keysOnTheSecondRow() {
        QFETCH(int, key);
        QFETCH(bool, storeAgrees);
        QFETCH(QString, call);
        QFETCH(QStringList, after);
        QFETCH(QString, current);
        QFETCH(int, result);
        QFETCH(QString, chosen);
        auto& log = apptest::SetUpProgram();
        answerRename(log, QStringLiteral("  新名字 "));
        Harness h;
        h.renameAnswer = h.removeAnswer = storeAgrees;
        QSignalSpy went(&h.dialog, &TBookmarksDialog::GoTo);
        h.show();
        QTest::keyClick(h.list(), Qt::Key_Down);
        QCOMPARE(h.list()->currentItem()->text(0), QStringLiteral("第二回"));
        QTest::keyClick(h.list(), Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

        QCOMPARE(h.calls, call.isEmpty() ? QStringList() : QStringList{call});
        QCOMPARE(h.titles(), after);
        QCOMPARE(h.list()->currentItem()->text(0), current);
        QCOMPARE(h.dialog.isVisible(), result < 0);
        if (result >= 0) QCOMPARE(h.dialog.result(), result);
        QCOMPARE(h.dialog.ChosenId(), chosen);
        QCOMPARE(went.size(), chosen.isEmpty() ? 0 : 1);
        if (!chosen.isEmpty()) QCOMPARE(went.first().first().toString(), chosen);
        QCOMPARE(log.modalWindows.size(), key == Qt::Key_F2 ? size_t(1) : size_t(0));
        QVERIFY(log.boxes.empty());
    }

    void aCancelledOrUnchangedRenameAsksNothing() {
        auto& log = apptest::SetUpProgram();
        Harness h;
        answerRename(log, QStringLiteral("别的"), false);
        QTest::keyClick(h.list(), Qt::Key_F2);
        answerRename(log, QStringLiteral(" 第一回 "));
        QTest::keyClick(h.list(), Qt::Key_F2);
        answerRename(log, QStringLiteral("   "));
        QTest::keyClick(h.list(), Qt::Key_F2);
        QCOMPARE(log.modalWindows, std::vector<QString>(3, QStringLiteral("bookmarkTitleInput")));
        QVERIFY(h.calls.isEmpty());
        QCOMPARE(h.titles().first(), QStringLiteral("第一回"));
    }

    void aMissingFileRefusesToGoAndSaysSo() {
        auto& log = apptest::SetUpProgram();
        Harness h;
        QSignalSpy went(&h.dialog, &TBookmarksDialog::GoTo);
        h.show();
        h.list()->setCurrentItem(h.list()->topLevelItem(2));
        QTest::keyClick(h.list(), Qt::Key_Return);
        QTest::mouseClick(h.button("goButton"), Qt::LeftButton);
        QVERIFY(h.dialog.isVisible());
        QVERIFY(h.dialog.ChosenId().isEmpty());
        QCOMPARE(went.size(), 0);
        QCOMPARE(log.boxes.size(), size_t(2));
        QCOMPARE(log.boxes[0].text, QStringLiteral("“旧书”所在的文件已不存在，无法转到。"));
        QCOMPARE(log.boxes[0].caption, QStringLiteral("书签"));
        QCOMPARE(log.boxes[0].owner, &h.dialog);
        // Deleting it is what such a bookmark is still good for.
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QCOMPARE(h.calls, QStringList{"remove c"});
        QCOMPARE(h.list()->currentItem()->text(0), QStringLiteral("第二回"));
    }

    void aDoubleClickGoes() {
        apptest::SetUpProgram();
        Harness h;
        h.show();
        QTreeWidget* list = h.list();
        const QRect row = list->visualItemRect(list->topLevelItem(1));
        // Through the window, as the platform delivers clicks: only that way does Qt make
        // the second click a double click.
        QTest::mouseDClick(h.dialog.windowHandle(), Qt::LeftButton, {},
                           list->viewport()->mapTo(&h.dialog, row.center()));
        QCOMPARE(h.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(h.dialog.ChosenId(), QStringLiteral("b"));
    }

    void anEmptyListSaysHowToMakeOne() {
        apptest::SetUpProgram();
        Harness h(std::vector<TBookmarkRow>{});
        h.show();
        auto* note = h.dialog.findChild<QLabel*>(QStringLiteral("emptyNote"));
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("还没有书签：按 Ctrl+D 给正在读的地方加书签。"));
        QVERIFY(!h.list()->isVisible());
        for (const char* name : {"goButton", "renameButton", "removeButton"})
            QVERIFY2(!h.button(name)->isEnabled(), name);
        QCOMPARE(QApplication::focusWidget(), h.button("closeButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(h.dialog.result(), int(QDialog::Rejected));
    }

    void deletingTheLastRowLeavesTheEmptyWindow() {
        apptest::SetUpProgram();
        Harness h(std::vector<TBookmarkRow>{threeRows().front()});
        h.show();
        QCOMPARE(QApplication::focusWidget(), h.list());
        QTest::keyClick(h.list(), Qt::Key_Delete);
        QVERIFY(h.dialog.findChild<QLabel*>(QStringLiteral("emptyNote"))->isVisible());
        QVERIFY(!h.button("removeButton")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), h.button("closeButton"));
    }

    void tabGoesFromTheListThroughTheButtons() {
        apptest::SetUpProgram();
        Harness h;
        h.show();
        QStringList order;
        for (int i = 0; i < 5; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"bookmarkList", "goButton", "renameButton", "removeButton",
                                     "closeButton"}));
    }

    void screenReadersReadTheListButtonsAndRows() {
        apptest::SetUpProgram();
        Harness h;
        h.show();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(h.list());
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("书签列表"));
        QAccessibleTableInterface* table = list->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 4);
        QStringList row;
        for (int c = 0; c < 3; ++c) row << table->cellAt(2, c)->text(QAccessible::Name);
        QCOMPARE(row, QStringList({"旧书", "（文件已不存在）", "0.5%"}));
        const std::pair<const char*, const char*> buttons[] = {{"goButton", "转到"},
                                                               {"renameButton", "重命名"},
                                                               {"removeButton", "删除"},
                                                               {"closeButton", "关闭"}};
        for (const auto& [name, spoken] : buttons)
            QCOMPARE(QAccessible::queryAccessibleInterface(h.button(name))->text(QAccessible::Name),
                     QString::fromUtf8(spoken));
    }
};

QTEST_MAIN(BookmarksDialogTest)
#include "bookmarks_dialog_test.moc"
