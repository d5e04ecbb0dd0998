#include "core/file_system.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text_file.h"

namespace kirimo {

namespace {

constexpr char16_t kKeptByteBase = 0xDC00;

bool isKeptByte(QChar c) {
    return c.unicode() >= kKeptByteBase + 0x80 && c.unicode() <= kKeptByteBase + 0xFF;
}

// The length of the valid UTF-8 sequence starting at bytes[i], or 0 when it is not one
// (stray continuation bytes, overlong forms, surrogates, beyond U+10FFFF, cut short).
int utf8SequenceLength(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    if (b < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Valid UTF-8 as text; a byte-order mark is a character like any other here.
QString utf8Text(const char* bytes, qsizetype size) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QByteArrayView(bytes, size));
}

std::string errnoText(int error) {
    return std::strerror(error);
}

using FileId = std::pair<dev_t, ino_t>;
std::mutex protectedMutex;
std::map<FileId, QString> protectedInputs;

// The input a write to this existing file would replace, if it is one.
std::optional<QString> protectedInput(const struct stat& info) {
    std::lock_guard lock(protectedMutex);
    const auto found = protectedInputs.find(FileId{info.st_dev, info.st_ino});
    return found == protectedInputs.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace

QByteArray encodePath(const QString& path) {
    return encodeLine(path);
}

QString decodePath(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    qsizetype run = 0;  // start of the current valid run
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += utf8Text(bytes.constData() + run, i - run);
        text += QChar(static_cast<char16_t>(kKeptByteBase + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    text += utf8Text(bytes.constData() + run, bytes.size() - run);
    return text;
}

QString displayPath(const QString& path) {
    if (std::none_of(path.begin(), path.end(), isKeptByte))
        return path;
    const QByteArray bytes = encodePath(path);
    QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
    if (cp932.isValid()) {
        const QString text = cp932.decode(bytes);
        QStringEncoder back("CP932", QStringEncoder::Flag::Stateless);
        if (!cp932.hasError() && !back.hasError() && back.encode(text) == bytes)
            return text;
    }
    QString shown;
    for (QChar c : path) {
        if (isKeptByte(c))
            shown +=
                QStringLiteral("\\x%1").arg(c.unicode() - kKeptByteBase, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

std::string quotedPath(const QString& path) {
    return "\"" + displayPath(path).toStdString() + "\"";
}

Result<QByteArray> resolveWriteTarget(const QString& path) {
    const std::string name = quotedPath(path);
    QByteArray current = encodePath(path);
    constexpr int kMaxLinks = 40;  // as the system's own limit on a path's links
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.constData(), &info) != 0) {
            if (errno == ENOENT)
                return current;  // absent: the write creates it
            return makeError("cannot write " + name + ": " + errnoText(errno));
        }
        if (S_ISREG(info.st_mode)) {
            if (auto input = protectedInput(info)) {
                return makeError("cannot write " + name + ": it is the input " +
                                 quotedPath(*input) + "; choose another output");
            }
            return current;
        }
        if (S_ISDIR(info.st_mode))
            return makeError("cannot write " + name + ": it is a folder");
        if (!S_ISLNK(info.st_mode)) {
            return makeError("cannot write " + name +
                             ": it is not a regular file (a device, a pipe or a socket); "
                             "nothing was written");
        }
        QByteArray target(4096, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), target.size());
        if (length < 0 || length >= target.size())
            return makeError("cannot write " + name + ": its link cannot be read");
        target.truncate(length);
        if (!target.startsWith('/')) {
            const qsizetype slash = current.lastIndexOf('/');
            target.prepend(slash < 0 ? QByteArray() : current.left(slash + 1));
        }
        current = target;
    }
    return makeError("cannot write " + name + ": " + errnoText(ELOOP));
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {
    }, second{};
    return ::stat(encodePath(a).constData(), &first) == 0 &&
           ::stat(encodePath(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

void protectInputs(const QStringList& paths) {
    std::lock_guard lock(protectedMutex);
    for (const QString& path : paths) {
        struct stat info {};
        if (::stat(encodePath(path).constData(), &info) == 0)
            protectedInputs.emplace(FileId{info.st_dev, info.st_ino}, path);
    }
}

void forgetProtectedInputs() {
    std::lock_guard lock(protectedMutex);
    protectedInputs.clear();
}

bool pathExists(const QString& path) {
    struct stat info {};
    return ::stat(encodePath(path).constData(), &info) == 0;
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(encodePath(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QString localFilePath(const QUrl& url) {
    const QString path = url.toLocalFile();
    if (!path.contains(QChar(0xFFFD)))
        return path;
    const QString encoded = url.path(QUrl::FullyEncoded);
    return decodePath(QByteArray::fromPercentEncoding(encoded.toLatin1()));
}

QString recoverLossyPath(const QString& path) {
    constexpr QChar kReplacement(0xFFFD);
    if (!path.contains(kReplacement) || pathExists(path))
        return path;
    const QStringList names = path.split(QLatin1Char('/'));
    QString recovered;  // the names so far, each followed by the separator
    for (qsizetype k = 0; k < names.size(); ++k) {
        const QString& name = names[k];
        QString chosen = name;
        if (name.contains(kReplacement)) {
            const QByteArray folder = encodePath(k == 0 ? QStringLiteral(".") : recovered);
            std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.constData()), ::closedir);
            int matches = 0;
            while (listing) {
                const dirent* entry = ::readdir(listing.get());
                if (entry == nullptr)
                    break;
                const QByteArray bytes(entry->d_name);
                if (QFile::decodeName(bytes) == name) {
                    chosen = decodePath(bytes);
                    ++matches;
                }
            }
            if (matches != 1)
                return path;
        }
        recovered += chosen + QLatin1Char('/');
    }
    recovered.chop(1);
    return recovered;
}

}  // namespace kirimo
