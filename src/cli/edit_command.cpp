// kirimo-cli edit: applies picture operations in order and saves the result as a bitmap.

#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "core/picture_file.h"
#include "imaging/filters.h"
#include "imaging/transforms.h"

namespace kirimo::cli {

namespace {

enum class OperationKind {
    Flip,
    Mirror,
    RotateClockwise,
    RotateCounterClockwise,
    Resize,
    Weighted,
    Median,
    Invert
};

struct Operation {
    QString text;
    OperationKind kind = OperationKind::Flip;
    WeightedFilter filter = WeightedFilter::Average;
    Dimensions size;
};

struct NamedOperation {
    const char* name;
    OperationKind kind;
    WeightedFilter filter;
};

constexpr NamedOperation kNamedOperations[] = {
    {"flip", OperationKind::Flip, {}},
    {"mirror", OperationKind::Mirror, {}},
    {"rotate-cw", OperationKind::RotateClockwise, {}},
    {"rotate-ccw", OperationKind::RotateCounterClockwise, {}},
    {"sharpen-weak", OperationKind::Weighted, WeightedFilter::SharpenWeak},
    {"sharpen-medium", OperationKind::Weighted, WeightedFilter::SharpenMedium},
    {"sharpen-strong", OperationKind::Weighted, WeightedFilter::SharpenStrong},
    {"blur", OperationKind::Weighted, WeightedFilter::Blur},
    {"average", OperationKind::Weighted, WeightedFilter::Average},
    {"median", OperationKind::Median, {}},
    {"emboss", OperationKind::Weighted, WeightedFilter::Emboss},
    {"outline", OperationKind::Weighted, WeightedFilter::Outline},
    {"invert", OperationKind::Invert, {}},
};

constexpr const char* kResizePrefix = "resize=";

QString operationList() {
    QString list;
    for (const auto& named : kNamedOperations)
        list += QLatin1String(named.name) + QLatin1Char(' ');
    return list + QLatin1String(kResizePrefix) + QLatin1String("WxH");
}

// The operation a word names, or an error message.
Result<Operation> parseOperation(const QString& word) {
    Operation operation;
    operation.text = word;
    if (word.startsWith(QLatin1String(kResizePrefix))) {
        const QString sizeText = word.mid(QLatin1String(kResizePrefix).size());
        const auto size = parseDimensions(sizeText);
        if (!size) {
            return makeError("\"" + word.toStdString() +
                             "\": the new size must be written WxH in whole pixels, "
                             "for example resize=640x480");
        }
        if (size->width < kMinimumResizeSide || size->height < kMinimumResizeSide) {
            return makeError("\"" + word.toStdString() + "\": both sides must be at least " +
                             std::to_string(kMinimumResizeSide) + " pixels");
        }
        operation.kind = OperationKind::Resize;
        operation.size = *size;
        return operation;
    }
    for (const auto& named : kNamedOperations) {
        if (word == QLatin1String(named.name)) {
            operation.kind = named.kind;
            operation.filter = named.filter;
            return operation;
        }
    }
    return makeError("unknown operation \"" + word.toStdString() +
                     "\"; the operations are: " + operationList().toStdString());
}

// Applies an operation to the picture. The picture before is not needed again, so flip
// and the filters work in place, without the memory of a second picture.
Result<void> apply(const Operation& operation, PixelBuffer& picture) {
    switch (operation.kind) {
        case OperationKind::Flip:
            flipVerticalInPlace(picture);
            return {};
        case OperationKind::Mirror:
            picture = mirrorHorizontal(picture);
            return {};
        case OperationKind::RotateClockwise:
            picture = rotateClockwise(picture);
            return {};
        case OperationKind::RotateCounterClockwise:
            picture = rotateCounterClockwise(picture);
            return {};
        case OperationKind::Resize: {
            auto resized = resizePicture(picture, operation.size.width, operation.size.height);
            if (!resized)
                return makeError(resized.error());
            picture = std::move(resized).value();
            return {};
        }
        case OperationKind::Weighted:
            applyWeightedFilterInPlace(picture, operation.filter);
            return {};
        case OperationKind::Median:
            applyMedianFilterInPlace(picture);
            return {};
        case OperationKind::Invert:
            picture = invertColours(picture);
            return {};
    }
    return makeError("unknown operation");
}

int runEdit(const QStringList& args, QTextStream& /*out*/, QTextStream& err) {
    const auto fail = [&err](const QString& message) {
        err << "kirimo-cli edit: " << message << "\n";
        return kExitUsage;
    };
    if (args.size() < 3)
        return fail(QStringLiteral("usage: kirimo-cli edit INPUT OUTPUT.bmp OP [OP ...]; "
                                   "the operations are: ") +
                    operationList());
    const QString& inputPath = args[0];
    const QString& outputPath = args[1];
    if (!hasBmpSuffix(outputPath))
        return fail("the output \"" + outputPath + "\" must be a .bmp file");
    if (auto outputs = checkOutputs({outputPath}, {inputPath}); !outputs)
        return fail(QString::fromStdString(outputs.error()));

    // Every operation is checked before the picture is read, so a typing mistake at the
    // end of a long list costs nothing.
    std::vector<Operation> operations;
    for (qsizetype i = 2; i < args.size(); ++i) {
        auto operation = parseOperation(args[i]);
        if (!operation)
            return fail(QString::fromStdString(operation.error()));
        operations.push_back(std::move(operation).value());
    }

    auto loaded = loadPictureFile(inputPath);
    if (!loaded)
        return fail(QString::fromStdString(loaded.error()));
    PixelBuffer picture = std::move(loaded).value();
    for (const auto& operation : operations) {
        if (auto applied = apply(operation, picture); !applied)
            return fail(operation.text + ": " + QString::fromStdString(applied.error()));
    }
    if (auto saved = savePictureBmp(outputPath, picture); !saved)
        return fail(QString::fromStdString(saved.error()));
    return kExitOk;
}

[[maybe_unused]] static const bool registered = registerCommand(
    {"edit",
     "edit INPUT OUTPUT.bmp OP [OP ...]  apply operations in order: flip, mirror, rotate-cw, "
     "rotate-ccw, resize=WxH, sharpen-weak, sharpen-medium, sharpen-strong, blur, average, "
     "median, emboss, outline, invert",
     runEdit});

}  // namespace

}  // namespace kirimo::cli
