// The HTML manual covers the program: a section for every window (its id is the
// window's object name), every kirimo-cli command, and every picture it shows exists.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "support/test_support.h"

namespace kirimo::test {
namespace {

// "file\ncapture" for the first captures of `pattern` in the files of `folder` matching
// `filter`.
QStringList captured(const QString& folder, const QString& filter, const char* pattern) {
    QStringList found;
    const QRegularExpression expression(QString::fromLatin1(pattern),
                                        QRegularExpression::MultilineOption);
    for (const QString& name : QDir(folder).entryList({filter}, QDir::Files)) {
        auto matches = expression.globalMatch(QString::fromUtf8(readBytes(folder + "/" + name)));
        while (matches.hasNext())
            found.append(name + u'\n' + matches.next().captured(1));
    }
    return found;
}

TEST(Manual, HasASectionForEveryWindowAndEveryCliCommandAndEveryLinkExists) {
    const QString root = QStringLiteral(KIRIMO_TEST_DATA_DIR "/../..");
    const QString manual = root + QStringLiteral("/docs/manual");
    const QString all = captured(manual, "*.html", R"(([\s\S]*))").join(u'\n');
    // The object names of the program's windows, from the units that build them.
    const QStringList windows =
        captured(root + "/src/ui", "frm_*.cpp",
                 R"re(setObjectName\(QStringLiteral\("(frm[A-Za-z0-9]+)"\)\))re");
    EXPECT_GE(windows.size(), 12);
    for (const QString& window : windows)
        EXPECT_TRUE(all.contains(QStringLiteral("id=\"%1\"").arg(window.section(u'\n', 1))))
            << window.toStdString();
    // The commands kirimo-cli lists in its help.
    QProcess cli;
    cli.start(QStringLiteral(KIRIMO_CLI_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    const QStringList commands =
        QString::fromUtf8(cli.readAllStandardOutput())
            .split(u'\n')
            .filter(QRegularExpression(QStringLiteral(R"(^  [a-z][a-z-]* )")));
    EXPECT_GE(commands.size(), 8);
    for (const QString& line : commands) {
        const QString command = line.trimmed().section(u' ', 0, 0);
        EXPECT_TRUE(all.contains(QStringLiteral("kirimo-cli %1 ").arg(command)))
            << line.toStdString();
    }
    EXPECT_TRUE(all.contains(QStringLiteral("man kirimo-cli")));
    for (const QString& link : captured(manual, "*.html", R"re((?:src|href)="([^"#:]+)")re"))
        EXPECT_TRUE(QFile::exists(QDir(manual).filePath(link.section(u'\n', 1))))
            << link.toStdString();
}

}  // namespace
}  // namespace kirimo::test
