// The dialog that chooses a file or a folder to open: Qt's real one, driven by keys on the
// offscreen platform, and the fake that stands in for it in the window tests.

#include "framework/ui/Dialogs.h"
#include "framework/ui/OpenPathDialog.h"
#include "tests/support/FakeDialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace orlenth;

namespace {

class OpenPathDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDialogs(nullptr);
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("第一卷")));
        QFile file(folder.filePath(QStringLiteral("a b.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void TearDown() override { SetDialogs(nullptr); }

    // Runs the seam's real dialog and acts on it by keys once its loop runs. If the keys
    // leave it open, it is cancelled, so a test that fails ends anyway.
    QString choose(const std::function<void(TOpenPathDialog&)>& keys) {
        bool found = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TOpenPathDialog*>(QApplication::activeModalWidget());
            found = dialog != nullptr;
            if (!dialog) return;
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            keys(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        const QString chosen = Dialogs().ChooseOpenPath(nullptr, folder.path());
        EXPECT_TRUE(found) << "the open dialog was not the modal window";
        return chosen;
    }

    // Types a name into the dialog's name field and presses Enter there, as a user does.
    static void enterName(TOpenPathDialog& dialog, const QString& name) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(OpenPathDialogTest, IsQtsOwnWithTheProgramsFiltersAndAFolderButton) {
    TOpenPathDialog dialog(nullptr, folder.path());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打开"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({QStringLiteral("文本文件 (*.txt)"), QStringLiteral("所有文件 (*)")}));
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(folder.path()).absolutePath());
    ASSERT_NE(dialog.FolderButton(), nullptr);
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(dialog.FolderButton());
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("选择此文件夹"));
    EXPECT_EQ(dialog.ChosenPath(), QString()) << "nothing chosen before it ran";

    TOpenPathDialog nowhere(nullptr, folder.filePath(QStringLiteral("missing")));
    EXPECT_EQ(nowhere.directory().absolutePath(), QDir::currentPath());
}

TEST_F(OpenPathDialogTest, AFileNamedAndEnterReturnsTheFile) {
    const QString chosen =
        choose([](TOpenPathDialog& d) { enterName(d, QStringLiteral("a b.txt")); });
    EXPECT_EQ(chosen, folder.filePath(QStringLiteral("a b.txt")));
}

TEST_F(OpenPathDialogTest, EnterOnAFolderGoesIntoItAndTheButtonTakesIt) {
    const QString chosen = choose([](TOpenPathDialog& d) {
        enterName(d, QStringLiteral("第一卷"));
        EXPECT_TRUE(d.isVisible()) << "Enter on a folder goes into it, it does not choose it";
        QTest::keyClick(&d, Qt::Key_F, Qt::AltModifier);
        // A button pressed by its mnemonic shows itself pressed for a moment first.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }));
    });
    EXPECT_EQ(chosen, QDir(folder.filePath(QStringLiteral("第一卷"))).absolutePath());
}

TEST_F(OpenPathDialogTest, TheButtonTakesTheFolderShownAtTheStart) {
    const QString chosen =
        choose([](TOpenPathDialog& d) { QTest::mouseClick(d.FolderButton(), Qt::LeftButton); });
    EXPECT_EQ(chosen, QDir(folder.path()).absolutePath());
}

TEST_F(OpenPathDialogTest, EscapeCancelsWithNothingChosen) {
    const QString chosen = choose([](TOpenPathDialog& d) {
        enterName(d, QStringLiteral("第一卷"));
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(chosen, QString());
}

TEST(FakeOpenPath, AnswersInTurnThenCancelsAndRecordsEachCall) {
    testsupport::TDialogLog& log = testsupport::InstallFakeDialogs();
    log.openPaths = {QStringLiteral("/a.txt"), QStringLiteral("/b/")};
    QWidget owner;
    EXPECT_EQ(Dialogs().ChooseOpenPath(&owner, QStringLiteral("/start")), QStringLiteral("/a.txt"));
    EXPECT_EQ(Dialogs().ChooseOpenPath(nullptr, QString()), QStringLiteral("/b/"));
    EXPECT_EQ(Dialogs().ChooseOpenPath(nullptr, QString()), QString());
    ASSERT_EQ(log.openPathCalls.size(), 3u);
    EXPECT_EQ(log.openPathCalls[0].owner, &owner);
    EXPECT_EQ(log.openPathCalls[0].startDir, QStringLiteral("/start"));
    SetDialogs(nullptr);
}
