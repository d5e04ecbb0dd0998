#include "core/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_system.h"

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return quotedPath(path);
}

// Why a system call failed, in words.
std::string failureText(int error) {
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full (no space left for the file)";
    return std::strerror(error);
}

// A write-only device over a new file's descriptor. Writes are gathered into a buffer and
// written in large pieces; the first failure is kept (its errno) and every later write
// refused, so that a full disk anywhere in a long write is seen at the end.
class DescriptorWriter final : public QIODevice {
  public:
    explicit DescriptorWriter(int fd) : fd_(fd) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    int failure() const { return failure_; }

    // Writes what is gathered; false (and the failure kept) when that fails.
    bool drain() {
        if (!buffer_.isEmpty() && failure_ == 0 && writeAll(buffer_.constData(), buffer_.size()))
            buffer_.clear();
        return failure_ == 0;
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failure_ != 0)
            return -1;
        if (buffer_.size() + size > kBufferBytes && !drain())
            return -1;
        if (size >= kBufferBytes)
            return writeAll(data, size) ? size : -1;
        buffer_.append(data, size);
        return size;
    }

  private:
    static constexpr qsizetype kBufferBytes = 256 * 1024;

    bool writeAll(const char* data, qint64 size) {
        while (size > 0) {
            const ssize_t done = ::write(fd_, data, static_cast<size_t>(size));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                failure_ = done < 0 ? errno : ENOSPC;
                setErrorString(QString::fromStdString(failureText(failure_)));
                return false;
            }
            data += done;
            size -= done;
        }
        return true;
    }

    int fd_;
    int failure_ = 0;
    QByteArray buffer_;
};

// The mode of a new file: what the user's umask leaves of rw-rw-rw-.
mode_t newFileMode() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

// Whether a file read failed for a reason other than its absence (a dangling link is
// absent too: writing creates its target).
bool presentForReading(const QString& path) {
    struct stat info {};
    return ::stat(encodePath(path).constData(), &info) == 0 || errno != ENOENT;
}

// The file's lines, each decoded as a path (decodePath); a UTF-8 byte-order mark opening
// the file is dropped.
Result<QStringList> readPathLines(const QString& path) {
    auto bytes = readBoundedFile(path);
    if (!bytes)
        return makeError(bytes.error());
    QByteArrayView rest(*bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    QStringList lines;
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        lines.append(decodePath(rest.first(end).toByteArray()));
        if (end < rest.size() && rest[end] == '\r' && end + 1 < rest.size() &&
            rest[end + 1] == '\n')
            ++end;
        rest = rest.sliced(std::min(end + 1, rest.size()));
    }
    return lines;
}

// Settings files that were present but could not be read, by their bytes.
std::mutex refusedMutex;
std::set<QByteArray> refusedSettings;
SettingsRefusalNotifier refusalNotifier;

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
    const QByteArray name = encodePath(path);
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
    auto target = resolveWriteTarget(path);
    if (!target)
        return makeError(target.error());
    const auto fail = [&](int error) {
        return makeError("cannot write " + describe(path) + ": " + failureText(error));
    };
    const qsizetype slash = target->lastIndexOf('/');
    QByteArray temporary = target->left(slash + 1) + '.' + target->mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat existing {};
    const mode_t mode =
        ::stat(target->constData(), &existing) == 0 ? existing.st_mode & 07777 : newFileMode();
    ::fchmod(fd, mode);

    int failure = 0;
    {
        DescriptorWriter device(fd);
        errno = 0;
        const bool produced = produce(device);
        if (!device.drain() || !produced)
            failure = device.failure() != 0 ? device.failure() : (errno != 0 ? errno : EIO);
    }
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temporary.constData(), target->constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.constData());
        return fail(failure);
    }
    return {};
}

std::string deviceWriteFailure(const QIODevice& device) {
    const auto* writer = dynamic_cast<const DescriptorWriter*>(&device);
    return writer != nullptr && writer->failure() != 0 ? failureText(writer->failure())
                                                       : std::string();
}

Result<QStringList> readSettingsLines(const QString& path, LineDecoding decoding) {
    auto lines = decoding == LineDecoding::Text ? readTextLines(path) : readPathLines(path);
    if (!lines && presentForReading(path)) {
        // The notifier runs outside the lock: the program shows a modal message, whose
        // event loop may read another settings file.
        SettingsRefusalNotifier notify;
        {
            std::lock_guard lock(refusedMutex);
            if (refusedSettings.insert(encodePath(path)).second)
                notify = refusalNotifier;
        }
        if (notify)
            notify(path, lines.error());
    }
    return lines;
}

Result<void> writeSettingsLines(const QString& path, const QStringList& lines) {
    {
        std::lock_guard lock(refusedMutex);
        if (refusedSettings.count(encodePath(path)) > 0)
            return {};
    }
    return writeTextLines(path, lines);
}

void setSettingsRefusalNotifier(SettingsRefusalNotifier notifier) {
    std::lock_guard lock(refusedMutex);
    refusalNotifier = std::move(notifier);
}

bool settingsFileRefused(const QString& path) {
    std::lock_guard lock(refusedMutex);
    return refusedSettings.count(encodePath(path)) > 0;
}

void forgetRefusedSettingsFiles() {
    std::lock_guard lock(refusedMutex);
    refusedSettings.clear();
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
