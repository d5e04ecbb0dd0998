#include "ui/hand_off_message.h"

#include <algorithm>

namespace kirimo::ui {

namespace {

constexpr char kEnd = '\0';

bool isPath(qsizetype length) {
    return length > 0 && length < kHandOffPathLimit;
}

}  // namespace

QList<QByteArray> parseHandOffMessage(const QByteArray& message) {
    const QByteArrayView bytes =
        QByteArrayView(message).first(std::min<qsizetype>(message.size(), kHandOffMessageLimit));
    QList<QByteArray> paths;
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf(kEnd); end >= 0; end = bytes.indexOf(kEnd, start)) {
        if (isPath(end - start))
            paths.append(bytes.sliced(start, end - start).toByteArray());
        start = end + 1;
    }
    return paths;
}

QByteArray handOffMessage(const QList<QByteArray>& paths) {
    QByteArray message;
    for (const QByteArray& path : paths) {
        if (!isPath(path.size()) || path.contains(kEnd))
            continue;
        if (message.size() + path.size() + 1 > kHandOffMessageLimit)
            break;
        message += path;
        message += kEnd;
    }
    return message;
}

}  // namespace kirimo::ui
