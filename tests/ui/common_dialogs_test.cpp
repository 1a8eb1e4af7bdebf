// The font and colour dialogs through a seam that answers at once.

#include "commands_fixture.h"
#include "tests/support/FakeDialogs.h"

#include "framework/ui/CommonDialogs.h"
#include "framework/ui/FontChooser.h"

#include "framework/text/TextEncoding.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace orlenth;
using commandstest::TCommandsForm;
using testsupport::TDialogLog;

namespace {

QByteArray gbk(const char* utf8) {
    const std::string s = UnicodeToGbk(QString::fromUtf8(utf8));
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

class CommonDialogTest : public ::testing::Test {
protected:
    void SetUp() override { InstallFontSubstitutions(); }
    void TearDown() override { SetDialogs(nullptr); }

    TDialogLog& log = testsupport::InstallFakeDialogs();
    TCommandsForm form;
};

} // namespace

TEST_F(CommonDialogTest, FontOfferedInWholePointsAndTakenBackAsPixelHeight) {
    auto* dialog = new TFontDialog(&form);
    dialog->Font()->SetName(gbk("宋体"));
    dialog->Font()->SetHeight(-14);
    log.confirm = true;
    ASSERT_TRUE(dialog->Execute()) << "confirmed unchanged";
    EXPECT_EQ(log.offeredFont.pointSize(), 11);
    EXPECT_EQ(log.offeredFont.family(), QString::fromUtf8("宋体"));
    EXPECT_EQ(log.owner, form.Widget());
    EXPECT_EQ(dialog->Font()->Height(), -14) << "a size left as offered keeps its height";
    EXPECT_EQ(dialog->Font()->Name(), gbk("宋体"));
    EXPECT_EQ(dialog->Font()->Color(), kSystemColor | 8) << "still the window-text colour";

    log.editFont = [](QFont& f, QColor& c) {
        f.setPointSize(12);
        f.setBold(true);
        c = QColor(0x11, 0x22, 0x33);
    };
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->Font()->Height(), -16);
    EXPECT_EQ(dialog->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
    EXPECT_EQ(dialog->Font()->Color(), 0x00332211);

    log.editFont = [](QFont& f, QColor&) { f.setPixelSize(20); };
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->Font()->Height(), -20) << "a pixel size is taken as it is";
}

TEST_F(CommonDialogTest, ACancelledFontChangesNothing) {
    TFontDialog dialog(&form);
    log.confirm = false;
    log.editFont = [](QFont& f, QColor& c) {
        f.setPointSize(30);
        f.setFamily("Other");
        c = Qt::red;
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Font()->Height(), -11);
    EXPECT_EQ(dialog.Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(dialog.Font()->Color(), kSystemColor | 8);
}

TEST(StoredFaceNames, ChosenFacesMapBackToStoredNames) {
    InstallFontSubstitutions();
    struct Row {
        const char* name;
        const char* chosen;
        const char* current;
        const char* stored;
    } rows[] = {
        {"song_face", "AR PL UMing CN", "MS Sans Serif", "宋体"},
        {"song_face_other_case", "ar pl uming cn", "MS Sans Serif", "宋体"},
        {"song_face_over_a_kai_fallback", "AR PL UMing CN", "楷体_GB2312", "宋体"},
        {"kai_face", "AR PL UKai CN", "宋体", "楷体_GB2312"},
        {"stored_name_itself", "楷体_GB2312", "宋体", "楷体_GB2312"},
        {"second_song_face_by_its_name", "AR PL UMing TW", "MS Sans Serif", "AR PL UMing TW"},
        {"second_song_face_over_song", "AR PL UMing TW", "宋体", "AR PL UMing TW"},
        {"second_kai_face_over_song", "AR PL UKai TW", "宋体", "AR PL UKai TW"},
        {"song_face_keeps_song", "AR PL UMing CN", "宋体", "宋体"},
        {"chosen_again_keeps_its_name", "AR PL UMing TW", "AR PL UMing TW", "AR PL UMing TW"},
        {"stand_in_keeps_current_name", "DejaVu Sans", "MS Sans Serif", "MS Sans Serif"},
        {"other_face_by_its_name", "Noto Sans Mono", "宋体", "Noto Sans Mono"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(StoredFaceName(QString::fromUtf8(r.chosen), gbk(r.current)), gbk(r.stored))
            << r.name;
}

// The dialog opens over the main window, 719 pixels wide inside its frame at its stored
// size, and fits within its width. Its natural size is what counts: a screen as small as
// the offscreen one would narrow any dialog to two thirds of its width.
TEST_F(CommonDialogTest, FontChooserFitsTheMainWindowsWidth) {
    QWidget window;
    window.resize(719, 432);
    TFontChooser chooser(&window);
    QFont start(QString::fromUtf8("宋体"));
    start.setPointSize(11);
    chooser.SetCurrentFont(start);
    EXPECT_LE(chooser.sizeHint().width(), 719);
    chooser.show();
    EXPECT_EQ(chooser.width(), chooser.sizeHint().width()) << "opened at its natural size";
    EXPECT_LE(chooser.frameGeometry().width(), 719);
}

TEST_F(CommonDialogTest, ColourConfirmedOrCancelled) {
    TColorDialog dialog(&form);
    dialog.SetColor(0x00E7FAF0);
    log.editColor = [](QColor& c) { c = QColor(0x10, 0x20, 0x30); };
    log.confirm = false;
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(log.offeredColor, QColor(0xF0, 0xFA, 0xE7));
    EXPECT_EQ(dialog.Color(), 0x00E7FAF0);
    log.confirm = true;
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), 0x00302010);
    EXPECT_EQ(log.owner, form.Widget());

    // A system colour confirmed as offered stays a system colour.
    dialog.SetColor(kSystemColor | 15);
    log.editColor = nullptr;
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), kSystemColor | 15);
}

TEST_F(CommonDialogTest, FontChooserShowsTheFontItStartsFromAndGivesItBack) {
    TFontChooser chooser;
    QFont start(QString::fromUtf8("宋体"));
    start.setPointSize(13);
    start.setItalic(true);
    start.setUnderline(true);
    chooser.SetCurrentFont(start);
    chooser.SetColor(QColor(1, 2, 3));
    auto* families = chooser.findChild<QListWidget*>("families");
    ASSERT_TRUE(families && families->currentItem());
    EXPECT_EQ(families->currentItem()->text(), QString::fromUtf8("宋体")) << "as the user knows it";
    EXPECT_EQ(chooser.findChild<QListWidget*>("styles")->currentRow(), 1) << "italic";
    EXPECT_EQ(chooser.findChild<QSpinBox*>("size")->value(), 13);
    EXPECT_TRUE(chooser.findChild<QCheckBox*>("underline")->isChecked());
    EXPECT_FALSE(chooser.findChild<QCheckBox*>("strikeOut")->isChecked());
    EXPECT_EQ(chooser.CurrentFont(), start);
    EXPECT_EQ(chooser.Color(), QColor(1, 2, 3));

    // The colour comes from the colour dialog of the seam; a cancel keeps it.
    log.editColor = [](QColor& c) { c = QColor(9, 8, 7); };
    chooser.findChild<QPushButton*>("color")->click();
    EXPECT_EQ(chooser.Color(), QColor(1, 2, 3));
    log.confirm = true;
    chooser.findChild<QPushButton*>("color")->click();
    EXPECT_EQ(log.offeredColor, QColor(1, 2, 3));
    EXPECT_EQ(chooser.Color(), QColor(9, 8, 7));

    chooser.findChild<QListWidget*>("styles")->setCurrentRow(2);
    chooser.findChild<QSpinBox*>("size")->setValue(20);
    QTest::keyClicks(chooser.findChild<QLineEdit*>("filter"), "ukai cn");
    const QFont chosen = chooser.CurrentFont();
    EXPECT_EQ(chosen.family(), QStringLiteral("AR PL UKai CN")) << "the filter leaves one face";
    EXPECT_TRUE(chosen.bold());
    EXPECT_FALSE(chosen.italic());
    EXPECT_EQ(chosen.pointSize(), 20);
    EXPECT_TRUE(chosen.underline());
}
