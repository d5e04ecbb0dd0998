#pragma once
// A folder of its own for each kirimo-cli test, and readers of what the runs wrote.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo::test {

class CliFolder : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString save(const QString& name, const PixelBuffer& picture) const {
        EXPECT_TRUE(savePictureBmp(path(name), picture).ok()) << name.toStdString();
        return path(name);
    }
    // dots.bmp: 5 x 3 dots in the colours (x + 5 y) % 17; a.bmp and b.bmp: the odd pictures.
    void saveChartInputs() const {
        save("dots.bmp", tableColours(5, 3, [](int x, int y) { return (x + 5 * y) % 17; }));
        const auto [a, b] = oddPictures();
        EXPECT_TRUE(savePictureBmp(path("a.bmp"), a) && savePictureBmp(path("b.bmp"), b));
    }
    // Runs kirimo-cli, expecting it to succeed.
    static CliRun runOk(const QStringList& args) {
        CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 0) << args.join(' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }
    static PixelBuffer load(const QString& file) {
        auto loaded = loadPictureFile(file);
        EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error());
        return loaded.ok() ? std::move(loaded).value() : PixelBuffer();
    }
    // Every name in the folder with the bytes of the regular files among them.
    std::map<QString, QByteArray> contents() const {
        std::map<QString, QByteArray> all;
        for (const QFileInfo& entry : QDir(dir.path())
                                          .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot))
            all[entry.fileName()] = entry.isFile() && !entry.isSymLink()
                                        ? readBytes(entry.filePath())
                                        : QByteArray("(not a file)");
        return all;
    }
    QTemporaryDir dir;
};

}  // namespace kirimo::test
