// The HTML manual covers the program: a section for every window (its id is the
// window's object name), every kirimo-cli command, and every picture it shows exists.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace kirimo::test {
namespace {

const QString kRoot = QStringLiteral(KIRIMO_TEST_DATA_DIR "/../..");

QString readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}
// The first captures of `pattern` in every file of `folder` matching `filter`.
QStringList captured(const QString& folder, const QString& filter, const char* pattern) {
    QStringList found;
    const QRegularExpression expression(QString::fromLatin1(pattern),
                                        QRegularExpression::MultilineOption);
    for (const QString& name : QDir(folder).entryList({filter}, QDir::Files)) {
        auto matches = expression.globalMatch(readAll(QDir(folder).filePath(name)));
        while (matches.hasNext())
            found.append(name + u'\n' + matches.next().captured(1));
    }
    return found;
}

TEST(Manual, HasASectionForEveryWindowAndEveryCliCommandAndEveryLinkExists) {
    const QString manual = kRoot + QStringLiteral("/docs/manual");
    QString all;
    for (const QString& page : QDir(manual).entryList({"*.html"}, QDir::Files))
        all += readAll(QDir(manual).filePath(page));
    // The object names of the program's windows, from the units that build them.
    const QStringList windows =
        captured(kRoot + "/src/ui", "frm_*.cpp",
                 R"re(setObjectName\(QStringLiteral\("(frm[A-Za-z0-9]+)"\)\))re");
    EXPECT_GE(windows.size(), 12);
    for (const QString& window : windows)
        EXPECT_TRUE(all.contains(QStringLiteral("id=\"%1\"").arg(window.section(u'\n', 1))))
            << window.toStdString();
    // The commands kirimo-cli lists in its help.
    QProcess cli;
    cli.start(QStringLiteral(KIRIMO_CLI_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    static const QRegularExpression line(QStringLiteral(R"(^  ([a-z][a-z-]*) )"),
                                         QRegularExpression::MultilineOption);
    auto commands = line.globalMatch(QString::fromUtf8(cli.readAllStandardOutput()));
    int count = 0;
    for (; commands.hasNext(); ++count) {
        const QString command = commands.next().captured(1);
        EXPECT_TRUE(all.contains(QStringLiteral("kirimo-cli %1 ").arg(command)))
            << command.toStdString();
    }
    EXPECT_GE(count, 8);
    EXPECT_TRUE(all.contains(QStringLiteral("man kirimo-cli")));

    for (const QString& link : captured(manual, "*.html", R"re((?:src|href)="([^"#:]+)")re"))
        EXPECT_TRUE(QFile::exists(QDir(manual).filePath(link.section(u'\n', 1))))
            << link.toStdString();
}

}  // namespace
}  // namespace kirimo::test
