// Fuzz target for the message a later start hands to the running copy: any bytes give
// paths within the bounds, and what the writer makes of them reads back the same.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <cstddef>
#include <cstdint>

#include "ui/hand_off_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> paths = kirimo::ui::parseHandOffMessage(message);
    qsizetype bytes = 0;
    for (const QByteArray& path : paths) {
        if (path.isEmpty() || path.size() >= kirimo::ui::kHandOffPathLimit || path.contains('\0'))
            __builtin_trap();
        bytes += path.size() + 1;
    }
    if (bytes > kirimo::ui::kHandOffMessageLimit)
        __builtin_trap();
    const QByteArray written = kirimo::ui::handOffMessage(paths);
    if (written.size() != bytes || kirimo::ui::parseHandOffMessage(written) != paths)
        __builtin_trap();
    return 0;
}
