// The application object and the dialog seam, on the offscreen platform.

#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"

#include "framework/Errors.h"
#include "tests/support/FakeDialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace orlenth;

TEST(ErrorBox, DotRule) {
    struct Row {
        const char* name;
        std::string message;
        const char* shown;
    } rows[] = {
        {"path_ending_in_a_letter", "Cannot open file /books/a.txt",
         "Cannot open file /books/a.txt."},
        {"closing_parenthesis", "List index out of bounds (-1)", "List index out of bounds (-1)"},
        {"already_a_dot", "Done.", "Done."},
        {"exclamation_sorts_before_dot", "LZRW Error!", "LZRW Error!"},
        {"digit_sorts_after_dot", "code 7", "code 7."},
        {"slash_sorts_after_dot", "/tmp/", "/tmp/."},
        {"chinese_character", "无法打开", "无法打开."},
        {"empty", "", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ErrorBoxText(r.message), QString::fromUtf8(r.shown)) << r.name;
}

TEST(Application, DispatchReportsAndSwallowsEverything) {
    std::vector<TMessageBoxRequest>& boxes = testsupport::InstallFakeDialogs().boxes;
    TApplication::Instance().SetTitle(QString::fromUtf8("Orlenth扩展文集--001 2004.11"));
    bool after = false;
    EXPECT_FALSE(TApplication::Instance().Dispatch([&] {
        throw EFOpenError::forFile("/x/y.txt");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_FALSE(TApplication::Instance().Dispatch([] { throw 42; }));
    EXPECT_TRUE(TApplication::Instance().Dispatch([] {}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Cannot open file /x/y.txt.");
    EXPECT_EQ(boxes[0].caption, QString::fromUtf8("Orlenth扩展文集--001 2004.11"));
    EXPECT_EQ(boxes[0].icon, TMessageIcon::Stop);
    EXPECT_EQ(boxes[1].text, "");
    SetDialogs(nullptr);
}

TEST(Application, NestedHandlersFailAsPartOfTheirCaller) {
    std::vector<TMessageBoxRequest>& boxes = testsupport::InstallFakeDialogs().boxes;
    auto& app = TApplication::Instance();
    std::vector<std::string> steps;
    EXPECT_FALSE(app.Dispatch([&] {
        steps.push_back("outer");
        app.Dispatch([] { throw EListError::indexOutOfBounds(-1); });
        steps.push_back("outer after inner"); // skipped with the caller's other steps
    }));
    EXPECT_EQ(steps, std::vector<std::string>{"outer"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "List index out of bounds (-1)");

    // A handler run by a nested event loop reports for itself; the caller goes on.
    boxes.clear();
    EXPECT_TRUE(app.Dispatch([&] {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            app.Dispatch([] { throw EListError::indexOutOfBounds(7); });
            loop.quit();
        });
        loop.exec();
    }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "List index out of bounds (7)");
    SetDialogs(nullptr);
}

TEST(Dialogs, RunModalReturnsWhenTheWindowCloses) {
    SetDialogs(nullptr);
    QWidget w;
    QTimer::singleShot(50, &w, [&] { w.close(); });
    Dialogs().RunModal(w);
    EXPECT_FALSE(w.isVisible());
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
