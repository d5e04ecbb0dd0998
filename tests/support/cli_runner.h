#pragma once
// Runs the built kirimo-cli (and the tools that read its output back) and collects what
// they printed.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

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

// The text pdftotext reads from one page of a PDF, or from all of them (page 0), pages
// separated by form feeds.
inline QString pdfText(const QString& pdf, int page = 0) {
    const QString n = QString::number(page);
    return runTool("pdftotext",
                   page > 0 ? QStringList{"-f", n, "-l", n, pdf, "-"} : QStringList{pdf, "-"});
}

// Pixels of the image inside [x0, x1) x [y0, y1) that pass `test`.
template <typename Test>
int countPixels(const QImage& image, int x0, int y0, int x1, int y1, Test test) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
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

// The page count pdfinfo reads, or -1.
inline int pdfPages(const QString& pdf) {
    const auto m = QRegularExpression("Pages:\\s+(\\d+)\\n").match(runTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Placed images of a PDF on `page` as pdfimages -list shows them, optionally of one size.
inline int pdfImagesOnPage(const QString& list, int page, QSize size = {}) {
    const QString sized =
        size.isValid() ? QString("\\s+%1\\s+%2 ").arg(size.width()).arg(size.height()) : " ";
    return static_cast<int>(list.count(
        QRegularExpression(QString("\\n\\s+%1\\s+\\d+\\s+image%2").arg(page).arg(sized))));
}

// One word of pdftotext -bbox: its text and its box in millimetres.
struct PdfWord {
    QString text;
    QRectF box;
    double x() const { return box.center().x(); }
    double y() const { return box.center().y(); }
};

inline std::vector<PdfWord> pdfWords(const QString& pdf, int page) {
    const QString html = runTool(
        "pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    static const QRegularExpression pattern(
        "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<");
    std::vector<PdfWord> found;
    const double mm = 25.4 / 72;
    for (const auto& m : pattern.globalMatch(html)) {
        found.push_back(
            {m.captured(5),
             QRectF(QPointF(m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm),
                    QPointF(m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm))});
    }
    return found;
}

}  // namespace kirimo::test
