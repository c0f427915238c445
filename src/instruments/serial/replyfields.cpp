#include "instruments/serial/replyfields.h"

#include <cmath>

#include "common/novalue.h"

namespace {

constexpr int kMaxField = 100;      // characters a field keeps
constexpr int kMaxNumberChars = 49; // digit, sign and point characters a token keeps

bool IsSeparator(QChar c) {
    return c == QLatin1Char(';') || c == QLatin1Char('\n');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

QString NextField(const QString& reply, const QString& key, std::int16_t* pos) {
    const int length = int(reply.size());
    int start = pos ? std::max<int>(*pos, 0) : 0;
    if (start > length) start = length;
    if (!key.isEmpty()) {
        const qsizetype found = reply.indexOf(key, start);
        if (found < 0) return QString();
        start = int(found + key.size());
    }
    int end = start;
    while (end < length && !IsSeparator(reply.at(end)))
        ++end;
    const QString field = reply.mid(start, std::min(end - start, kMaxField));
    // Past the separator, or at the end, which counts as one.
    const int next = end < length ? end + 1 : length;
    if (pos) *pos = static_cast<std::int16_t>(std::min<int>(next, INT16_MAX));
    return field;
}

float ParseNumber(const QString& token) {
    QByteArray kept;
    for (QChar c : token) {
        const char ascii = c.toLatin1();
        if (IsDigit(ascii) || ascii == '.' || ascii == '+' || ascii == '-') {
            if (kept.size() < kMaxNumberChars) kept.append(ascii);
        }
    }
    // As "%f" reads: an optional sign, digits with at most one point, at
    // least one digit; reading stops at the first character that cannot go on.
    int i = 0;
    if (i < kept.size() && (kept[i] == '+' || kept[i] == '-')) ++i;
    bool digits = false;
    while (i < kept.size() && IsDigit(kept[i])) {
        ++i;
        digits = true;
    }
    if (i < kept.size() && kept[i] == '.') {
        ++i;
        while (i < kept.size() && IsDigit(kept[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) return kNoValue;
    bool ok = false;
    const double value = kept.left(i).toDouble(&ok);
    // 49 digits can exceed a float: such a token holds no usable value.
    if (!ok || !std::isfinite(float(value))) return kNoValue;
    return float(value);
}
