#include "core/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

// Why a write failed, in words: Qt reports a full disk as "Unknown error".
std::string writeFailure(const QSaveFile& file, int error) {
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full (no space left for the file)";
    const QString reason = file.errorString();
    if ((reason.isEmpty() || reason == QLatin1String("Unknown error")) && error != 0)
        return std::strerror(error);
    return reason.toStdString();
}

// Bytes of a line that decodes neither way are kept as U+DC80..U+DCFF.
constexpr char16_t kKeptByteBase = 0xDC00;

QString keepBytes(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = b < 0x80 ? QChar(b) : QChar(static_cast<char16_t>(kKeptByteBase + b));
    }
    return text;
}

QString decodeLine(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // ConvertInitialBom: a mark opening a line is text; only the file's own is dropped.
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
    if (cp932.isValid()) {
        text = cp932.decode(bytes);
        if (!cp932.hasError()) {
            // Some CP932 characters have two byte forms; only a line that encodes back to
            // the same bytes is taken as text.
            QStringEncoder back("CP932", QStringEncoder::Flag::Stateless);
            const QByteArray again = back.encode(text);
            if (!back.hasError() && QByteArrayView(again) == bytes)
                return text;
        }
    }
    return keepBytes(bytes);
}

}  // namespace

QString decodeText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    const qsizetype n = bytes.size();
    // A byte-order mark is dropped only where it opens a UTF-8 line: in front of bytes
    // that are kept as they are, it is kept with them.
    qsizetype start = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const qsizetype lineEnd = bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n');
        const qsizetype crEnd = bytes.indexOf('\r') < 0 ? bytes.size() : bytes.indexOf('\r');
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        const QString first = utf8.decode(QByteArrayView(bytes).first(std::min(lineEnd, crEnd)));
        if (!utf8.hasError())
            start = 3;
    }
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        text += decodeLine(QByteArrayView(bytes).sliced(start, end - start));
        // The line end as it was: CR LF, LF or a lone CR.
        qsizetype next = end < n ? end + 1 : end;
        if (end < n && bytes[end] == '\r' && next < n && bytes[next] == '\n')
            ++next;
        for (qsizetype i = end; i < next; ++i)
            text += QChar(bytes[i]);
        start = next;
    }
    return text;
}

QByteArray encodeLine(const QString& line) {
    // A kept byte is a lone low surrogate: the same code unit after a high surrogate is the
    // second half of a character beyond U+FFFF (some emoji, for one) and is text.
    const auto kept = [&line](qsizetype i) {
        const char16_t c = line[i].unicode();
        return c >= kKeptByteBase + 0x80 && c <= kKeptByteBase + 0xFF &&
               !(i > 0 && line[i - 1].isHighSurrogate());
    };
    qsizetype first = 0;
    while (first < line.size() && !kept(first))
        ++first;
    if (first == line.size())
        return line.toLocal8Bit();
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = first; i <= line.size(); ++i) {
        if (i < line.size() && !kept(i))
            continue;
        bytes += QStringView(line).sliced(run, i - run).toLocal8Bit();
        if (i < line.size())
            bytes += static_cast<char>(line[i].unicode() - kKeptByteBase);
        run = i + 1;
    }
    return bytes;
}

Result<QByteArray> readBoundedFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Opened without blocking, so that a pipe put in the file's place cannot hold the
    // program; only a regular file is read after that.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return makeError("cannot read " + describe(path) + ": " + std::strerror(errno));
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return makeError("cannot read " + describe(path) + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return makeError("cannot read " + describe(path) + ": it is a folder");
    if (!S_ISREG(info.st_mode))
        return makeError("cannot read " + describe(path) + ": it is not a regular file");
    if (info.st_size > kMaxTextFileBytes)
        return makeError("cannot read " + describe(path) + ": the file is too large");
    // The size is checked again while reading: the file may grow in the meantime.
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (bytes.size() > kMaxTextFileBytes)
                return makeError("cannot read " + describe(path) + ": the file is too large");
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxTextFileBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return makeError("cannot read " + describe(path) + ": " + std::strerror(errno));
        }
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
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
    auto bytes = readBoundedFile(path);
    if (!bytes)
        return makeError(bytes.error());
    return decodeText(*bytes);
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
    errno = 0;
    if (!produce(file) || !file.flush()) {
        const std::string reason = writeFailure(file, errno);
        file.cancelWriting();
        return makeError("cannot write " + describe(path) + ": " + reason);
    }
    errno = 0;
    if (!file.commit()) {
        return makeError("cannot write " + describe(path) + ": " + writeFailure(file, errno));
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
        bytes += encodeLine(line);
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
