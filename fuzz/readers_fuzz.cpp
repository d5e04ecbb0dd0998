// Fuzz target for every reader of settings text: decoding, line splitting, delimited
// fields, whole-number and colour parsing, the A4 chart options and the user-colour file.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/colour_table.h"
#include "core/number_rules.h"
#include "core/print_info_file.h"
#include "core/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = kirimo::decodeText(bytes);
    for (const QString& line : kirimo::splitLines(text)) {
        (void)kirimo::parseInt16(line);
        (void)kirimo::parseInt32(line);
        (void)kirimo::parseColourText(line);
        // Every line read is written so that it reads back as itself (but for a
        // byte-order mark in front, which is dropped where it opens a file).
        if (!line.startsWith(QChar(0xFEFF)) && kirimo::decodeText(kirimo::encodeLine(line)) != line)
            __builtin_trap();
        // Every field of the A4 chart options reads back as one of its values.
        if (kirimo::parsePrintInfo(line) !=
            kirimo::parsePrintInfo(kirimo::printInfoLine(kirimo::parsePrintInfo(line)))) {
            __builtin_trap();
        }
    }
    (void)kirimo::readDelimitedFields(text);

    // A line that is UTF-8, or that decodes neither way, is written back byte for byte.
    if (!bytes.contains('\r') && !bytes.contains('\n') && !bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(bytes);  // decodes when converted
        const bool kept = std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
        });
        if ((!utf8.hasError() || kept) && kirimo::encodeLine(text) != bytes)
            __builtin_trap();
    }

    static QTemporaryDir folder;
    QFile file(QDir(folder.path()).filePath(kirimo::kEditColFileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
        file.close();
        kirimo::ColourTable table;
        table.init(folder.path());
        const auto& user = table[kirimo::kUserColourNumber];
        if (user.red < 0 || user.red > 255 || user.green < 0 || user.green > 255 || user.blue < 0 ||
            user.blue > 255) {
            __builtin_trap();
        }
    }
    return 0;
}
