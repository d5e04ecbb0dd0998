#include "core/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

}  // namespace

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
    if (cp932.isValid())
        return cp932.decode(bytes);
    return QString::fromLatin1(bytes);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

Result<QString> readTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return makeError("cannot read " + describe(path) + ": " + file.errorString().toStdString());
    }
    if (file.size() > kMaxTextFileBytes) {
        return makeError("cannot read " + describe(path) + ": the file is too large");
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return makeError("cannot read " + describe(path) + ": " + file.errorString().toStdString());
    }
    return decodeText(bytes);
}

Result<QStringList> readTextLines(const QString& path) {
    auto text = readTextFile(path);
    if (!text)
        return makeError(text.error());
    return splitLines(*text);
}

Result<void> writeFileAtomically(const QString& path,
                                 const std::function<bool(QIODevice&)>& produce) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return makeError("cannot write " + describe(path) + ": " +
                         file.errorString().toStdString());
    }
    if (!produce(file)) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        return makeError("cannot write " + describe(path) + ": " + reason);
    }
    if (!file.commit()) {
        return makeError("cannot write " + describe(path) + ": " +
                         file.errorString().toStdString());
    }
    return {};
}

Result<void> writeFileAtomically(const QString& path, const QByteArray& bytes) {
    return writeFileAtomically(
        path, [&](QIODevice& device) { return device.write(bytes) == bytes.size(); });
}

Result<void> writeTextLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toLocal8Bit();
        bytes += "\r\n";
    }
    return writeFileAtomically(path, bytes);
}

QStringList readDelimitedFields(const QString& text) {
    QStringList fields;
    for (const QString& line : splitLines(text)) {
        const qsizetype n = line.size();
        qsizetype i = 0;
        while (true) {
            while (i < n && (line[i] == u' ' || line[i] == u'\t'))
                ++i;
            QString field;
            if (i < n && line[i] == u'"') {
                const qsizetype close = line.indexOf(u'"', i + 1);
                const qsizetype stop = close < 0 ? n : close;
                field = line.mid(i + 1, stop - i - 1);
                i = close < 0 ? n : close + 1;
                const qsizetype comma = line.indexOf(u',', i);
                i = comma < 0 ? n : comma;
            } else {
                const qsizetype comma = line.indexOf(u',', i);
                const qsizetype stop = comma < 0 ? n : comma;
                field = line.mid(i, stop - i).trimmed();
                i = stop;
            }
            fields.append(field);
            if (i >= n)
                break;
            ++i;  // past the comma; a trailing comma leaves one more (empty) field
            if (i >= n) {
                fields.append(QString());
                break;
            }
        }
    }
    return fields;
}

}  // namespace kirimo
