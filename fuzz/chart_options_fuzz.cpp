// Fuzz target for the command lines of kirimo-cli's chart and chart-images: the input is a
// command line, its arguments separated by zero bytes; the first byte's low bit picks
// chart-images. A parsed line accounts for every argument: each positional argument is
// one that is not a flag, each flag is one the command knows, and only flags that take a
// value consume the next argument. Every argument is also read as a --pages list against
// a few grids: a list that is taken checks only sheets of its grid, at least one, and no
// more than it has items.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "cli/chart_options.h"

namespace {

void checkPages(const QString& text, const kirimo::SheetGrid& grid) {
    const auto pages = kirimo::cli::parsePages(text, grid);
    if (!pages) {
        if (pages.error().empty())
            __builtin_trap();
        return;
    }
    const auto checked = std::count(pages->begin(), pages->end(), true);
    if (pages->size() != static_cast<size_t>(grid.count()) || checked < 1 ||
        checked > text.count(QLatin1Char(';')) + 1) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool images = (data[0] & 1) != 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    QStringList args;
    for (const QByteArray& piece : bytes.split('\0'))
        args.append(QString::fromLocal8Bit(piece));

    static const auto wide = kirimo::SheetGrid::create(50, 40, {17, 20});
    static const auto single = kirimo::SheetGrid::create(1, 1, {1, 1});
    for (const QString& arg : args) {
        checkPages(arg, *wide);
        checkPages(arg, *single);
    }

    const auto parsed = kirimo::cli::parseChartArguments(args, images);
    if (!parsed) {
        if (parsed.error().empty())
            __builtin_trap();
        return 0;
    }
    qsizetype consumed = parsed->positional.size();
    for (const QString& positional : parsed->positional) {
        if (positional.startsWith(QLatin1String("--")))
            __builtin_trap();
    }
    for (const auto& [flag, value] : parsed->values) {
        if (!flag.startsWith(QLatin1String("--")) || !args.contains(flag))
            __builtin_trap();
        const bool valued = kirimo::cli::chartFlagTakesValue(flag);
        if (!valued && !value.isEmpty())
            __builtin_trap();
        consumed += valued ? 2 : 1;
    }
    if (consumed != args.size())
        __builtin_trap();
    return 0;
}
