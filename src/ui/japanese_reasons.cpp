#include "ui/japanese_reasons.h"

#include <QRegularExpression>
#include <iterator>
#include <optional>
#include <vector>

namespace kirimo::ui {

namespace {

// An English pattern, anchored at both ends, and its Japanese text, in which \1, \2, ...
// stand for the pattern's captures.
struct Rule {
    const char* english;
    const char* japanese;
};

// Why a file could not be opened, read or written: the program's own reasons, the
// system's (strerror) and Qt's (QFile, QImageReader).
constexpr Rule kReasonRules[] = {
    {R"(there is no such file)", "ﾌｧｲﾙがありません"},
    {R"(it is a folder, not a picture)", "ﾌｫﾙﾀﾞです。画像ではありません"},
    {R"(it is a folder)", "ﾌｫﾙﾀﾞです"},
    {R"(it is not a regular file \(a pipe or a device\?\))",
     "通常のﾌｧｲﾙではありません（ﾊﾟｲﾌﾟかﾃﾞﾊﾞｲｽ？）"},
    {R"(it is not a regular file \(a device, a pipe or a socket\); nothing was written)",
     "通常のﾌｧｲﾙではありません（ﾃﾞﾊﾞｲｽ、ﾊﾟｲﾌﾟまたはｿｹｯﾄ）。何も書き込んでいません"},
    {R"(it is not a regular file)", "通常のﾌｧｲﾙではありません"},
    {R"(it is the input (".*"); choose another output)",
     "入力ﾌｧｲﾙ\\1です。別の保存先を選んで下さい"},
    {R"(its link cannot be read)", "ﾘﾝｸを読み取れません"},
    {R"(the file is empty)", "ﾌｧｲﾙが空です"},
    {R"(the file is too large)", "ﾌｧｲﾙが大きすぎます"},
    {R"(the picture is too large \((\d+) x (\d+)\))", "画像が大きすぎます（\\1×\\2）"},
    {R"(the picture is too large for BMP)", "BMPにするには画像が大きすぎます"},
    {R"(the picture's data ends early \(the file is cut short or damaged\))",
     "画像のﾃﾞｰﾀが途中で終わっています（ﾌｧｲﾙが途中までしかないか、壊れています）"},
    {R"(the picture has no pixels)", "画像に画素がありません"},
    {R"(the picture cannot be read)", "画像を読み取れません"},
    {R"(there is no page to print)", "印刷するﾍﾟｰｼﾞがありません"},
    {R"(out of memory)", "メモリ不足です"},
    {R"(the disk is full \(no space left for the file\))",
     "ﾃﾞｨｽｸがいっぱいです（ﾌｧｲﾙを書く空きがありません）"},
    {R"(No such file or directory)", "ﾌｧｲﾙまたはﾌｫﾙﾀﾞがありません"},
    {R"(Permission denied)", "ｱｸｾｽが許可されていません"},
    {R"(Operation not permitted)", "操作が許可されていません"},
    {R"(Read-only file system)", "読み取り専用のﾌｧｲﾙｼｽﾃﾑです"},
    {R"(Is a directory)", "ﾌｫﾙﾀﾞです"},
    {R"(Not a directory)", "途中にﾌｫﾙﾀﾞでないものがあります"},
    {R"(Too many levels of symbolic links)", "ｼﾝﾎﾞﾘｯｸﾘﾝｸが多すぎます"},
    {R"(File name too long)", "ﾌｧｲﾙ名が長すぎます"},
    {R"(Input/output error)", "入出力ｴﾗｰが起きました"},
    {R"(No space left on device)", "ﾃﾞｨｽｸに空きがありません"},
    {R"(Disk quota exceeded)", "ﾃﾞｨｽｸの使用量の上限を超えました"},
    {R"(Text file busy)", "ﾌｧｲﾙが使用中です"},
    {R"(Unsupported image format)", "対応していない画像形式です"},
    {R"(Unable to read image data)", "画像ﾃﾞｰﾀを読み取れません"},
    {R"(Image is empty)", "画像が空です"},
    {R"(File not found)", "ﾌｧｲﾙがありません"},
    {R"(Unknown error)", "原因不明のｴﾗｰです"},
};

// Whole messages of the layers below; a file is quoted as "…" and stays so.
constexpr Rule kMessageRules[] = {
    {R"(sheet size (\d+) x (\d+) is not allowed \(both sides must be whole numbers of at least 1\))",
     "１枚分の大きさ（\\1×\\2）は使えません。横も縦も1以上の整数にして下さい"},
    {R"(picture size (\d+) x (\d+) cannot be divided into sheets)",
     "\\1×\\2の画像は用紙に分けられません"},
    {R"(picture size (-?\d+) x (-?\d+) is too large \(width x height x 4 must fit a signed 32-bit number\))",
     "\\1×\\2の画像は大きすぎます（幅×高さ×4が32ﾋﾞｯﾄの符号付き整数に収まる大きさまでです）"},
    {R"(sheet size (\d+) x (\d+) would chart (\d+) empty lines below the picture \(at most (\d+)\))",
     "１枚分の大きさ（\\1×\\2）では画像の下に空の行が\\3行できます（\\4行までです）"},
    {R"(the diffusion rate must be a whole number from (\d+) to (\d+) \(got (-?\d+)\))",
     "拡散率は\\1から\\2までの整数で指定して下さい（\\3）"},
    {R"(the red density must be a whole number from (\d+) to (\d+) \(got (-?\d+)\))",
     "赤の濃度は\\1から\\2までの整数で指定して下さい（\\3）"},
    {R"(the green density must be a whole number from (\d+) to (\d+) \(got (-?\d+)\))",
     "緑の濃度は\\1から\\2までの整数で指定して下さい（\\3）"},
    {R"(the blue density must be a whole number from (\d+) to (\d+) \(got (-?\d+)\))",
     "青の濃度は\\1から\\2までの整数で指定して下さい（\\3）"},
    {R"(the picture has no pixels \((\d+) x (\d+)\))", "画像に画素がありません（\\1×\\2）"},
    {R"(the picture has no dots)", "画像にﾄﾞｯﾄがありません"},
    {R"(the converted picture has no dots to report)", "変換した画像にﾄﾞｯﾄがありません"},
    {R"(the source picture is empty)", "元画像が空です"},
    {R"(cannot reduce a (\d+) x (\d+) picture to (-?\d+) x (-?\d+))",
     "\\1×\\2の画像を\\3×\\4に縮小できません"},
    {R"(cannot resize a (\d+) x (\d+) picture to (-?\d+) x (-?\d+))",
     "\\1×\\2の画像を\\3×\\4に変更できません"},
    {R"(cannot resize an empty picture)", "空の画像の大きさは変えられません"},
    {R"(cannot resize to (-?\d+) x (-?\d+): both sides must be at least (\d+))",
     "\\1×\\2には変更できません。横も縦も\\3以上にして下さい"},
    {R"(a (\d+) x (\d+) picture is too large to magnify (\d+) times)",
     "\\1×\\2の画像は大きすぎて\\3倍に拡大できません"},
    {R"(the common size (-?\d+) x (-?\d+) has no pixels: both pictures must have at least one pixel)",
     "共通の大きさ（\\1×\\2）に画素がありません。どちらの画像にも1画素以上が必要です"},
    {R"(the strip width (-?\d+) is not a positive whole number)",
     "分割幅（\\1）は1以上の整数にして下さい"},
    {R"(the common width (-?\d+) has no pixels)", "共通の幅（\\1）に画素がありません"},
    {R"(a preset needs a name)", "設定名を入力して下さい"},
    {R"(a preset name cannot contain "," \((".*")\))", "設定名に「,」は使えません（\\1）"},
    {R"(the printer could not be opened)", "ﾌﾟﾘﾝﾀを開けません"},
    {R"(the printer could not start page (\d+))", "ﾌﾟﾘﾝﾀで\\1ﾍﾟｰｼﾞ目を始められません"},
    {R"(the printer could not finish the document)", "ﾌﾟﾘﾝﾀで印刷を終えられません"},
    {R"(the font (".*") gives no character size)", "ﾌｫﾝﾄ\\1では文字の大きさが決まりません"},
    {R"(the chart images would be too large for the font (".*"))",
     "ﾌｫﾝﾄ\\1では色情報画像が大きくなりすぎます"},
    {R"(no valid time to name the reports after)", "ﾌｧｲﾙ名に付ける時刻がありません"},
    {R"(every report name from (".*") on is taken)", "\\1以降のﾌｧｲﾙ名はすべて使われています"},
};

struct CompiledRule {
    QRegularExpression english;
    QString japanese;
};

std::vector<CompiledRule> compile(const Rule* begin, const Rule* end) {
    std::vector<CompiledRule> compiled;
    for (const Rule* rule = begin; rule != end; ++rule) {
        compiled.push_back({QRegularExpression(QRegularExpression::anchoredPattern(
                                QString::fromUtf8(rule->english))),
                            QString::fromUtf8(rule->japanese)});
    }
    return compiled;
}

// The Japanese of the first rule that matches the whole text, its captures filled in.
std::optional<QString> apply(const std::vector<CompiledRule>& rules, const QString& text) {
    for (const CompiledRule& rule : rules) {
        const QRegularExpressionMatch match = rule.english.match(text);
        if (!match.hasMatch())
            continue;
        QString result = rule.japanese;
        for (int i = match.lastCapturedIndex(); i >= 1; --i)
            result.replace(QStringLiteral("\\%1").arg(i), match.captured(i));
        return result;
    }
    return std::nullopt;
}

QString reason(const QString& english) {
    static const std::vector<CompiledRule> rules =
        compile(std::begin(kReasonRules), std::end(kReasonRules));
    return apply(rules, english).value_or(english);
}

}  // namespace

QString japaneseReason(const QString& english) {
    // "cannot open|read|write "FILE"[ as a picture]: REASON"; the file name is the
    // shortest quoted text that such a tail follows.
    static const QRegularExpression fileFailure(
        QStringLiteral(R"(^cannot (open|read|write) (".*?")( as a picture)?: (.*)$)"),
        QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch match = fileFailure.match(english); match.hasMatch()) {
        const QString verb = match.captured(1);
        const QString file = match.captured(2);
        const QString why = reason(match.captured(4));
        if (!match.captured(3).isEmpty())
            return QStringLiteral("%1を画像として開けません。%2").arg(file, why);
        if (verb == QLatin1String("open"))
            return QStringLiteral("%1を開けません。%2").arg(file, why);
        if (verb == QLatin1String("read"))
            return QStringLiteral("%1を読み込めません。%2").arg(file, why);
        return QStringLiteral("%1に書き込めません。%2").arg(file, why);
    }
    static const std::vector<CompiledRule> rules =
        compile(std::begin(kMessageRules), std::end(kMessageRules));
    return apply(rules, english).value_or(english);
}

QString japaneseReason(const std::string& english) {
    return japaneseReason(QString::fromStdString(english));
}

}  // namespace kirimo::ui
