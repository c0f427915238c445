#include "code/generation.h"

#include "code/code.h"

namespace {

constexpr int kFirstLength = 1;
constexpr int kLeftLength = 6;
constexpr int kRightLength = 5;
constexpr int kLeftStart = kFirstLength;
constexpr int kRightStart = kFirstLength + kLeftLength;
constexpr int kDataLength = kFirstLength + kLeftLength + kRightLength;
static_assert(kDataLength + 1 == kCodeLength, "the check digit ends the code");

// The part of the code a field shows, up to its first character that is not a
// digit, so that every digit keeps its place.
QString FieldOf(const QString& code, int start, int length) {
    QString part = code.mid(start, length);
    for (int i = 0; i < part.size(); ++i)
        if (!IsCodeDigit(part[i])) return part.left(i);
    return part;
}

std::int16_t CheckDigitOf(const QString& code) {
    // A character that is not a digit counts as a zero: it adds nothing.
    QString data = code.left(kDataLength);
    for (QChar& c : data)
        if (!IsCodeDigit(c)) c = QLatin1Char('0');
    return CCode(nullptr).CheckDigit(data);
}

} // namespace

TypedCode SplitCode(const QString& code) {
    TypedCode typed;
    typed.strFirst = FieldOf(code, 0, kFirstLength);
    typed.strLeft = FieldOf(code, kLeftStart, kLeftLength);
    typed.strRight = FieldOf(code, kRightStart, kRightLength);
    return typed;
}

QString MergeTypedCode(const TypedCode& typed, const QString& code) {
    QString merged = code.leftJustified(kCodeLength, QLatin1Char('0'), true);
    if (!typed.strFirst.isEmpty()) merged[0] = typed.strFirst[0];
    if (typed.strLeft.size() >= kLeftLength)
        merged.replace(kLeftStart, kLeftLength, typed.strLeft.left(kLeftLength));
    if (typed.strRight.size() >= kRightLength)
        merged.replace(kRightStart, kRightLength, typed.strRight.left(kRightLength));
    merged[kDataLength] = QLatin1Char(static_cast<char>('0' + CheckDigitOf(merged)));
    return merged;
}

std::int16_t TypedCheckDigit(const TypedCode& typed, const QString& code) {
    return static_cast<std::int16_t>(MergeTypedCode(typed, code)[kDataLength].digitValue());
}
