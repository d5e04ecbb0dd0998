#pragma once
// Runs the built kirimo-cli (and the tools that read its output back) and collects what
// they printed.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <utility>

namespace kirimo::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(KIRIMO_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        run.err = QStringLiteral("kirimo-cli did not finish");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// What another program (poppler's pdfinfo, pdfimages, ...) printed on its standard output.
inline QString runTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A picture read back from a PDF has the size and the colours of the one put in.
inline void expectSamePixels(const QImage& back, const QImage& original) {
    const QImage rgb = back.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(rgb.size(), original.size());
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x)
            EXPECT_EQ(rgb.pixel(x, y) & 0xFFFFFF, original.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    }
}

// Two small pictures of odd sizes and uneven colours, 3 x 2 and 2 x 5.
inline std::pair<QImage, QImage> oddPictures() {
    QImage a(3, 2, QImage::Format_RGB32);
    QImage b(2, 5, QImage::Format_RGB32);
    for (int i = 0; i < 10; ++i) {
        a.setPixel(i % 3, i / 3 % 2, qRgb(i * 20, 255 - i * 7, 3 * i));
        b.setPixel(i % 2, i / 2, qRgb(250 - i, i * 25, 128));
    }
    return {a, b};
}

}  // namespace kirimo::test
