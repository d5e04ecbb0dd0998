// The HTML manual covers the program: a section for every window (its id is the
// window's object name), every kirimo-cli command, and every picture it shows exists.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace kirimo::test {
namespace {

const QString kRoot = QStringLiteral(KIRIMO_TEST_DATA_DIR "/../..");

QString readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// Every page of the manual, by file name.
QMap<QString, QString> manualPages() {
    QMap<QString, QString> pages;
    const QDir folder(kRoot + QStringLiteral("/docs/manual"));
    for (const QString& name : folder.entryList({QStringLiteral("*.html")}, QDir::Files))
        pages.insert(name, readAll(folder.filePath(name)));
    return pages;
}

// The object names of the program's windows, from the units that build them.
QStringList windowNames() {
    QStringList names;
    const QDir folder(kRoot + QStringLiteral("/src/ui"));
    static const QRegularExpression named(
        QStringLiteral(R"re(setObjectName\(QStringLiteral\("(frm[A-Za-z0-9]+)"\)\))re"));
    for (const QString& unit : folder.entryList({QStringLiteral("frm_*.cpp")}, QDir::Files)) {
        auto matches = named.globalMatch(readAll(folder.filePath(unit)));
        while (matches.hasNext())
            names.append(matches.next().captured(1));
    }
    return names;
}

// The commands kirimo-cli lists in its help.
QStringList cliCommands() {
    QProcess cli;
    cli.start(QStringLiteral(KIRIMO_CLI_PATH), {QStringLiteral("--help")});
    EXPECT_TRUE(cli.waitForFinished(30000));
    QStringList commands;
    static const QRegularExpression line(QStringLiteral(R"(^  ([a-z][a-z-]*) )"));
    for (const QString& text : QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n')) {
        if (const auto match = line.match(text); match.hasMatch())
            commands.append(match.captured(1));
    }
    return commands;
}

TEST(Manual, HasASectionForEveryWindow) {
    const QStringList windows = windowNames();
    ASSERT_GE(windows.size(), 12) << windows.join(u' ').toStdString();
    const QString all = manualPages().values().join(u'\n');
    for (const QString& name : windows) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(all.contains(QStringLiteral("id=\"%1\"").arg(name)));
    }
}

TEST(Manual, NamesEveryCommandOfKirimoCliAndItsManualPage) {
    const QStringList commands = cliCommands();
    ASSERT_GE(commands.size(), 8);
    const QString all = manualPages().values().join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("man kirimo-cli")));
    for (const QString& command : commands) {
        SCOPED_TRACE(command.toStdString());
        EXPECT_TRUE(all.contains(QStringLiteral("kirimo-cli %1 ").arg(command)));
    }
}

TEST(Manual, EveryPictureAndLinkItShowsExists) {
    const QDir folder(kRoot + QStringLiteral("/docs/manual"));
    static const QRegularExpression reference(QStringLiteral(R"re((?:src|href)="([^"#:]+)")re"));
    const auto pages = manualPages();
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        auto matches = reference.globalMatch(page.value());
        while (matches.hasNext()) {
            const QString target = matches.next().captured(1);
            SCOPED_TRACE((page.key() + QStringLiteral(": ") + target).toStdString());
            EXPECT_TRUE(QFile::exists(folder.filePath(target)));
        }
    }
}

}  // namespace
}  // namespace kirimo::test
