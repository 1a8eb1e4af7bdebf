// 简繁 on the real main window: the page shows the text converted by phrase, at the same
// place, the files stay as they are, and the choice is kept with the settings (in a
// temporary config folder), never without them.

#include "tests/app/AppFixture.h"

#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/platform/DisplayText.h"
#include "app/platform/ScriptConversion.h"
#include "app/settings/SettingsFile.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/TabSet.h"

#include <QFile>
#include <QMenu>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace orlenth;
using apptest::Gbk;
using platform::Script;

namespace {

using Config = apptest::TConfig;

QByteArray Traditional(const QByteArray& text) {
    QByteArray out;
    platform::ScriptConverter::For(Script::Traditional)
        ->Convert(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), out);
    return out;
}

// The items of 简繁 as a screen reader has them: "*" before the checked one.
QStringList MenuOf(TOrlenth& form) {
    QMenu* menu = form.N30->QtAction()->menu();
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* a : menu->actions())
        items << (a->isChecked() ? QStringLiteral("*") : QString()) + a->text();
    return items;
}

void Choose(TOrlenth& form, const char* name) {
    for (QAction* a : form.N30->QtAction()->menu()->actions())
        if (a->text() == QString::fromUtf8(name)) a->trigger();
}

QByteArray LineAtTop(TOrlenth& form) {
    return form.Memo1->Line(form.Memo1->LineAt(form.PlaceRead()));
}

void WaitWrapped(TOrlenth& form) {
    QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
}

// The items of 编码, "*" before the checked ones.
QStringList EncodingMenuOf(TOrlenth& form) {
    QMenu* menu = form.N23->QtAction()->menu();
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            items << (a->isChecked() ? QStringLiteral("*") : QString()) + a->text();
    return items;
}

} // namespace

class ScriptTest : public QObject {
    Q_OBJECT

private slots:
    void aScriptShowsTheTextConvertedAtTheSamePlaceAndIsKept() {
        Config config;
        QTemporaryDir books;
        QByteArray novel;
        for (int i = 0; i < 3000; ++i)
            novel += Gbk("她的头发很干燥，后来皇后从不干涉。第") + QByteArray::number(i) + "\r\n";
        const QString path = books.path() + QStringLiteral("/a.txt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(novel);
        }
        QByteArray lineRead;
        {
            config.Open();
            apptest::SetUpProgram(path.toStdString());
            TOrlenth form;
            form.Show();
            WaitWrapped(form);
            QCOMPARE(MenuOf(form), QString::fromUtf8("*原文 简体 繁體 繁體（台灣）").split(' '));
            for (int i = 0; i < 30; ++i) form.N8Click(nullptr);
            lineRead = LineAtTop(form);
            const std::uint32_t place = form.PlaceRead();
            QVERIFY(lineRead.contains(Gbk("头发")));
            Choose(form, "繁體");
            QTRY_COMPARE(form.ScriptOnShow(), Script::Traditional);
            QCOMPARE(MenuOf(form), QString::fromUtf8("原文 简体 *繁體 繁體（台灣）").split(' '));
            WaitWrapped(form);
            // The page and what copying and the search read: the wrap engine's text.
            QTRY_COMPARE(form.Memo1->Text(), Traditional(novel));
            QTRY_COMPARE(LineAtTop(form), Traditional(lineRead));
            QCOMPARE(form.PlaceRead(), place);
            QVERIFY(LineAtTop(form).contains(Gbk("頭髮")));
            QVERIFY(LineAtTop(form).contains(Gbk("干涉")));
            // Back to the stored text, at the same line; the file never changed.
            Choose(form, "原文");
            QTRY_COMPARE(form.ScriptOnShow(), Script::Original);
            QTRY_COMPARE(LineAtTop(form), lineRead);
            Choose(form, "繁體");
            QTRY_COMPARE(LineAtTop(form), Traditional(lineRead));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), novel);
            form.SaveSettings();
        }
        {
            // The next run shows the file in the kept script, at its place; so is a built-in
            // article, kept by its characters too.
            config.Open();
            apptest::SetUpProgram();
            TOrlenth form;
            form.Show();
            QCOMPARE(form.ScriptOnShow(), Script::Traditional);
            QCOMPARE(MenuOf(form), QString::fromUtf8("原文 简体 *繁體 繁體（台灣）").split(' '));
            QTRY_COMPARE(LineAtTop(form), Traditional(lineRead));
            bool allow = true;
            form.TabSet1->SetTabIndex(0);
            form.TabSet1Change(form.TabSet1, 0, allow);
            QVERIFY(form.Memo1->Text().contains(Gbk("先帝創業未半")));
            for (int i = 0; i < 3; ++i) form.N8Click(nullptr);
            // Each character keeps its two bytes here, so the same character is the same
            // offset.
            const std::uint32_t place = form.PlaceRead();
            QVERIFY(place > 0);
            Choose(form, "简体");
            QTRY_COMPARE(form.ScriptOnShow(), Script::Simplified);
            QTRY_VERIFY(form.Memo1->Text().contains(Gbk("先帝创业未半")));
            QTRY_COMPARE(form.PlaceRead(), place);
        }
        {
            // Without settings nothing is read: the stored text.
            SetProgramSettings(nullptr);
            apptest::SetUpProgram();
            TOrlenth form;
            form.Show();
            QCOMPARE(form.ScriptOnShow(), Script::Original);
            QVERIFY(form.Memo1->Text().contains(Gbk("先帝创业未半")));
        }
    }

    // A switch shows the same bytes: the file is not detected again, and its encoding stays
    // the detection's, neither checked as chosen in 编码 nor kept as the reader's choice.
    void aSwitchKeepsTheDetectedEncodingWithoutChoosingIt() {
        Config config;
        QTemporaryDir books;
        QString text;
        for (int i = 0; i < 500; ++i)
            text += QString::fromUtf8("桃花源記，第%1行：緣溪行，忘路之遠近。\r\n").arg(i);
        const QByteArray big5 = QStringEncoder("Big5").encode(text);
        const QByteArray gbk = QStringEncoder("GBK").encode(text);
        QCOMPARE(gbk.size(), big5.size());
        const QString path = books.path() + QStringLiteral("/a.txt");
        apptest::WriteFile(path, big5);
        {
            config.Open();
            apptest::SetUpProgram(path.toStdString());
            TOrlenth form;
            form.Show();
            WaitWrapped(form);
            QVERIFY(EncodingMenuOf(form).contains(QString::fromUtf8("*自动（Big5）")));
            // Other bytes behind the reader's back, of the same size and time: only a new
            // detection could tell that they are GBK now.
            struct stat before {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
            apptest::WriteFile(path, gbk);
            const timespec times[2] = {before.st_atim, before.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
            Choose(form, "繁體");
            QTRY_COMPARE(form.ScriptOnShow(), Script::Traditional);
            QTRY_COMPARE(form.Memo1->Text(),
                         Traditional(platform::DisplayBytesOf(gbk, platform::FileEncoding::Big5)));
            QVERIFY(EncodingMenuOf(form).contains(QString::fromUtf8("*自动（Big5）")));
            form.SaveSettings();
        }
        {
            // Nothing was kept for the file: the next run detects it anew.
            config.Open();
            apptest::SetUpProgram(path.toStdString());
            TOrlenth form;
            form.Show();
            WaitWrapped(form);
            QVERIFY(EncodingMenuOf(form).contains(QString::fromUtf8("*自动（GB18030）")));
            QTRY_COMPARE(form.Memo1->Text(), Traditional(gbk));
        }
    }
};

QTEST_MAIN(ScriptTest)
#include "script_test.moc"
