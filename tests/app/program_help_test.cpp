// What --help and the manual page say the reader recognises is what the detection can
// return: each names, in one list, exactly the encodings of the detection's table, so an
// encoding added there without a word in either fails here.

#include "app/platform/TextDetection.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>
namespace {

QString helpText() {
    QProcess program;
    program.start(QStringLiteral(ORLENTH_BINARY), {QStringLiteral("--help")});
    EXPECT_TRUE(program.waitForFinished(30'000));
    EXPECT_EQ(program.exitCode(), 0);
    return QString::fromUtf8(program.readAllStandardOutput());
}

QString manualPage() {
    QFile page(QStringLiteral(ORLENTH_MANUAL_PAGE));
    EXPECT_TRUE(page.open(QIODevice::ReadOnly));
    // roff's escaped hyphens and line ends are a reader's plain ones.
    return QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

// The names after "among:" up to the full stop, lines joined.
QStringList listedEncodings(const QString& text) {
    const QRegularExpression list(QStringLiteral("recognised from its bytes, among:([^.]*)\\."));
    const QRegularExpressionMatch m = list.match(text);
    if (!m.hasMatch()) return {};
    QStringList names;
    for (const QString& name : m.captured(1).split(QLatin1Char(','))) names << name.simplified();
    names.sort();
    return names;
}

QStringList detectionTable() {
    QStringList names;
    for (const orlenth::platform::EncodingName& n : orlenth::platform::KnownEncodings())
        names << QString::fromUtf8(n.menuName);
    names.sort();
    return names;
}

struct Source {
    const char* name;
    QString (*text)();
};

class EncodingsNamed : public testing::TestWithParam<Source> {};

TEST_P(EncodingsNamed, AreTheDetectionsTable) {
    const QStringList listed = listedEncodings(GetParam().text());
    ASSERT_FALSE(listed.isEmpty()) << "no list of recognised encodings";
    EXPECT_EQ(listed.join(QStringLiteral(", ")).toStdString(),
              detectionTable().join(QStringLiteral(", ")).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Program, EncodingsNamed,
                         testing::Values(Source{"Help", helpText},
                                         Source{"ManualPage", manualPage}),
                         [](const testing::TestParamInfo<Source>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
