// The folder category as the command line and the file system give it: what the argument
// names, folders without texts, names the file system holds in GBK, and entries that
// vanish or never resolve. The real main window, offscreen; boxes are recorded.

#include "tests/app/AppFixture.h"

#include "app/Unit1main.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/TabSet.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

using namespace orlenth;
using apptest::Gbk;

namespace {

// By the name's bytes: names that are no UTF-8 must reach the file system unchanged.
void writeFile(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    QCOMPARE(::write(fd, bytes.constData(), size), static_cast<ssize_t>(size));
    ::close(fd);
}

QByteArray utf8(const char* s) {
    return QByteArray(s);
}

QStringList rowsOf(TOrlenth& form) {
    QStringList rows;
    for (int i = 0; i < form.ListBox1->Count(); ++i)
        rows << DisplayTextToUnicode(form.ListBox1->Items()->Get(i));
    return rows;
}

QString tabName(TOrlenth& form, int tab) {
    return DisplayTextToUnicode(form.TabSet1->Tabs()->Get(tab));
}

QByteArray builtInArticle(TOrlenth& form, int row) {
    return QByteArray::fromStdString(form.WJKStringList1->GetArrayItem(row + 1)->GetList().Text());
}

// Runs in `folder`, as a shell started there runs the program, $PWD included.
class InFolder {
public:
    explicit InFolder(const QByteArray& folder)
        : before_(QDir::currentPath()), pwd_(qgetenv("PWD")) {
        QVERIFY(QDir::setCurrent(QFile::decodeName(folder)));
        qputenv("PWD", folder);
    }
    ~InFolder() {
        QDir::setCurrent(before_);
        qputenv("PWD", pwd_);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    QString before_;
    QByteArray pwd_;
};

QString cannotOpen(const QByteArray& path) {
    return QStringLiteral("Cannot open file ") + QString::fromUtf8(path) + QLatin1Char('.');
}

} // namespace

class FolderCategoryTest : public QObject {
    Q_OBJECT

private slots:
    void folderNamedWithoutSlashOpensThatFolder() {
        // `orlenth ~/小说`, as completion and file managers give it: that folder, not its
        // parent.
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        const QByteArray novels = base + utf8("/小说");
        QVERIFY(::mkdir(novels.constData(), 0755) == 0);
        writeFile(base + "/parent.txt", "the parent's");
        writeFile(novels + utf8("/第2章.txt"), Gbk("第二章\r\n"));
        writeFile(novels + utf8("/第1章.txt"), Gbk("第一章\r\n"));
        auto& rec = apptest::SetUpProgram(novels.toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.TabSet1->Tabs()->Count(), 6);
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(tabName(form, 5), QString::fromUtf8("小说"));
        QCOMPARE(rowsOf(form),
                 (QStringList{QString::fromUtf8("第1章.txt"), QString::fromUtf8("第2章.txt")}));
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Memo1->Text(), Gbk("第一章\r\n"));
    }

    void dotDotNamesTheFolderItLeadsTo() {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path()) + utf8("/书库");
        QVERIFY(::mkdir(base.constData(), 0755) == 0);
        QVERIFY(::mkdir(base + "/sub", 0755) == 0);
        writeFile(base + "/a.txt", "top\n");
        auto& rec = apptest::SetUpProgram((base + "/sub/..").toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(tabName(form, 5), QString::fromUtf8("书库"));
        QCOMPARE(rowsOf(form), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(form.Memo1->Text(), QByteArray("top\n"));
    }

    void folderWithoutTextsShowsAnEmptyPageQuietly_data() {
        QTest::addColumn<QByteArrayList>("names");
        QTest::newRow("empty") << QByteArrayList{};
        QTest::newRow("no *.txt") << QByteArrayList{"a.md", "b.txt.bak", "txt"};
    }

    void folderWithoutTextsShowsAnEmptyPageQuietly() {
        QFETCH(QByteArrayList, names);
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        for (const QByteArray& n : names) writeFile(base + "/" + n, "x");
        auto& rec = apptest::SetUpProgram(base.toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(form.ListBox1->Count(), 0);
        QCOMPARE(form.ListBox1->ItemIndex(), -1);
        QCOMPARE(form.Caption(), TOrlenth::ApplicationTitle());
        QCOMPARE(form.Memo1->Text(), QByteArray("\r\n")); // blank, as the page starts out
        // A click on the empty list, a step back and forth: still nothing to report.
        form.ListBox1Click(nullptr);
        form.StepArticle('q');
        QVERIFY(rec.boxes.empty());
        // Another category's article does not stay under the empty list.
        form.TabSet1->SetTabIndex(1);
        QCOMPARE(form.Memo1->Text(), builtInArticle(form, 0));
        form.TabSet1->SetTabIndex(5);
        QCOMPARE(form.ListBox1->Count(), 0);
        QCOMPARE(form.Memo1->Text(), QByteArray("\r\n")); // blank, as the page starts out
        QVERIFY(form.PaintBox1->Widget()->accessibleName().isEmpty());
        QVERIFY(rec.boxes.empty());
    }

    void bareFileNameCountsFromTheWorkingDirectory() {
        // `cd ~/小说 && orlenth 第5章.txt`.
        QTemporaryDir dir;
        const QByteArray novels = QFile::encodeName(dir.path()) + utf8("/小说");
        QVERIFY(::mkdir(novels.constData(), 0755) == 0);
        writeFile(novels + utf8("/第1章.txt"), Gbk("第一章\r\n"));
        writeFile(novels + utf8("/第5章.txt"), Gbk("第五章\r\n"));
        InFolder there(novels);
        auto& rec = apptest::SetUpProgram(utf8("第5章.txt").toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(tabName(form, 5), QString::fromUtf8("小说"));
        QCOMPARE(rowsOf(form),
                 (QStringList{QString::fromUtf8("第1章.txt"), QString::fromUtf8("第5章.txt")}));
        QCOMPARE(form.ListBox1->ItemIndex(), 1);
        QCOMPARE(form.Memo1->Text(), Gbk("第五章\r\n"));
    }

    void namedFileIsListedAndShownWhateverItsName() {
        // `orlenth 小说/番外`, as "Open with" passes any plain text file: listed in its place
        // in reading order, and shown.
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        const QByteArray novels = base + utf8("/小说");
        QVERIFY(::mkdir(novels.constData(), 0755) == 0);
        for (const char* name : {"第1章.txt", "第2章.txt", "序.txt"})
            writeFile(novels + "/" + utf8(name), Gbk(name));
        writeFile(novels + utf8("/番外"), Gbk("番外一篇\r\n"));
        writeFile(novels + utf8("/后记"), Gbk("not named, not listed"));
        InFolder there(base);
        auto& rec = apptest::SetUpProgram(utf8("小说/番外").toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        const QStringList rows{QString::fromUtf8("第1章.txt"), QString::fromUtf8("第2章.txt"),
                               QString::fromUtf8("番外"), QString::fromUtf8("序.txt")};
        QCOMPARE(rowsOf(form), rows);
        QCOMPARE(form.ListBox1->ItemIndex(), 2);
        QCOMPARE(form.Memo1->Text(), Gbk("番外一篇\r\n"));
        // It stays a row of the category; the tab opens on the first row as usual.
        form.TabSet1->SetTabIndex(1);
        form.TabSet1->SetTabIndex(5);
        QCOMPARE(rowsOf(form), rows);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Memo1->Text(), Gbk("第1章.txt"));
        form.ListBox1->SetItemIndex(2);
        form.ListBox1Click(nullptr);
        QCOMPARE(form.Memo1->Text(), Gbk("番外一篇\r\n"));
        QVERIFY(rec.boxes.empty());
    }

    void gbkNamesShowDecoded() {
        // A folder and files unpacked with GBK names: tab and rows decoded from GB18030,
        // the files opened by their bytes. A name valid in neither UTF-8 nor GB18030
        // keeps its replacement characters.
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/" + Gbk("书库");
        const QByteArrayList files{folder + "/" + Gbk("第1章") + ".txt",
                                   folder + "/" + Gbk("第2章") + "\xFF.txt"};
        // QTemporaryDir cannot remove what it cannot name.
        const auto cleanUp = qScopeGuard([&] {
            for (const QByteArray& f : files) ::unlink(f.constData());
            ::rmdir(folder.constData());
        });
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        writeFile(files[0], Gbk("第一章\r\n"));
        writeFile(files[1], Gbk("第二章\r\n"));
        auto& rec = apptest::SetUpProgram(folder.toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(tabName(form, 5), QString::fromUtf8("书库"));
        const QStringList rows = rowsOf(form);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], QString::fromUtf8("第1章.txt"));
        QVERIFY(rows[1].contains(QChar::ReplacementCharacter));
        QCOMPARE(form.Memo1->Text(), Gbk("第一章\r\n"));
        form.ListBox1->SetItemIndex(1);
        form.ListBox1Click(nullptr);
        QCOMPARE(form.Memo1->Text(), Gbk("第二章\r\n"));
        QVERIFY(rec.boxes.empty());
    }

    void entriesThatDoNotResolveCannotBeOpened() {
        // A row whose file went away after listing, a dangling link, a link loop: each
        // is a file that cannot be opened, and the page keeps what it showed.
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path()) + "/";
        writeFile(base + "a.txt", Gbk("甲\r\n"));
        writeFile(base + "b.txt", Gbk("乙\r\n"));
        QVERIFY(::symlink((base + "nowhere").constData(), (base + "c.txt").constData()) == 0);
        QVERIFY(::symlink((base + "e.txt").constData(), (base + "d.txt").constData()) == 0);
        QVERIFY(::symlink((base + "d.txt").constData(), (base + "e.txt").constData()) == 0);
        auto& rec = apptest::SetUpProgram(base.toStdString());
        TOrlenth form;
        QVERIFY(rec.boxes.empty());
        QCOMPARE(form.ListBox1->Count(), 5);
        QCOMPARE(form.Memo1->Text(), Gbk("甲\r\n"));
        QVERIFY(::unlink(base + "b.txt") == 0);
        // Chosen as a reader does, with the Down key: the click's failure is reported.
        const char* rows[] = {"b.txt", "c.txt", "d.txt", "e.txt"};
        for (int row = 1; row < 5; ++row) {
            QTest::keyClick(form.ListBox1->Widget(), Qt::Key_Down);
            QCOMPARE(form.ListBox1->ItemIndex(), row);
            QCOMPARE(rec.boxes.size(), static_cast<std::size_t>(row));
            QCOMPARE(rec.boxes.back().text, cannotOpen(base + rows[row - 1]));
            QCOMPARE(rec.boxes.back().icon, TMessageIcon::Stop);
            QCOMPARE(form.Memo1->Text(), Gbk("甲\r\n"));
        }
    }

    void danglingFirstFileIsReportedAtStartUp() {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path()) + "/";
        QVERIFY(::symlink((base + "nowhere").constData(), (base + "a.txt").constData()) == 0);
        writeFile(base + "b.txt", Gbk("乙\r\n"));
        auto& rec = apptest::SetUpProgram(base.toStdString());
        TOrlenth form;
        QCOMPARE(rec.boxes.size(), std::size_t{1});
        QCOMPARE(rec.boxes[0].text, cannotOpen(base + "a.txt"));
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(form.Memo1->Text(), QByteArray("\r\n")); // nothing loaded: the start text
    }

    void folderRemovedWhileListedLeavesNoStaleArticle() {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + utf8("/小说");
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        writeFile(folder + "/a.txt", Gbk("甲\r\n"));
        auto& rec = apptest::SetUpProgram(folder.toStdString());
        TOrlenth form;
        QCOMPARE(form.Memo1->Text(), Gbk("甲\r\n"));
        form.TabSet1->SetTabIndex(1);
        QVERIFY(QDir(QFile::decodeName(folder)).removeRecursively());
        form.TabSet1->SetTabIndex(5);
        QCOMPARE(form.TabSet1->TabIndex(), 5);
        QCOMPARE(form.ListBox1->Count(), 0);
        QCOMPARE(form.Memo1->Text(), QByteArray("\r\n")); // blank, as the page starts out
        QVERIFY(rec.boxes.empty());
        // A folder of the same name made again is the one listed: the tab keeps its path.
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        writeFile(folder + "/b.txt", Gbk("乙\r\n"));
        form.TabSet1->SetTabIndex(0);
        form.TabSet1->SetTabIndex(5);
        QCOMPARE(rowsOf(form), QStringList{QStringLiteral("b.txt")});
        QCOMPARE(form.Memo1->Text(), Gbk("乙\r\n"));
    }

    void aNovelInBig5OrUtf16ShowsTheSamePageAsItsGbkForm() {
        QTemporaryDir dir;
        QString novel;
        for (int i = 0; i < 2000; ++i)
            novel +=
                QStringLiteral("第%1回　桃花源記：晉太元中，武陵人捕魚為業。緣溪行，忘路之遠近。"
                               "忽逢桃花林，夾岸數百步，中無雜樹，芳草鮮美，落英繽紛。\r\n")
                    .arg(i);
        // Named so that they list in this order; UTF-16 without a byte-order mark.
        const char* encodings[] = {"GBK", "Big5", "UTF-16LE"};
        for (int i = 0; i < 3; ++i) {
            QStringEncoder encoder(encodings[i], QStringConverter::Flag::Stateless);
            QVERIFY(encoder.isValid());
            writeFile(QFile::encodeName(dir.path()) + "/" + QByteArray::number(i) + ".txt",
                      encoder.encode(novel));
        }
        apptest::SetUpProgram(QFile::encodeName(dir.path()).toStdString());
        TOrlenth form;
        form.Show();
        QList<QByteArray> pages[3];
        QImage shots[3];
        for (int i = 0; i < 3; ++i) {
            form.ListBox1->SetItemIndex(i);
            form.ListBox1Click(nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(form.Memo1->Wrapped(), 30'000);
            for (int line = 0; line < 40; ++line) pages[i] << form.Memo1->Line(line);
            shots[i] = form.PaintBox1->Widget()->grab().toImage();
        }
        QVERIFY(pages[0][0].startsWith(Gbk("第0回")));
        QCOMPARE(pages[1], pages[0]);
        QCOMPARE(pages[2], pages[0]);
        QCOMPARE(shots[1], shots[0]);
        QCOMPARE(shots[2], shots[0]);
    }
};

QTEST_MAIN(FolderCategoryTest)
#include "folder_category_test.moc"
