// Decoding of EAN-13 edge times: module references on the guard bars, bar and
// space classification, digit rebuilding, leading digit and check digit.

#include "code/code.h"

#include <array>

#include "common/format.h"
#include "doc/zbdoc.h"

namespace {

// First interval of each half and the last digit start of the right half
// (interval numbering: interval i runs from edge i to edge i + 1).
constexpr std::int16_t kFirstLeftInterval = 3;
constexpr std::int16_t kMiddleGuardInterval = 27;
constexpr std::int16_t kFirstRightInterval = 32;
constexpr std::int16_t kLastRightDigitInterval = 52;
// From this interval on, a 4-module bar is taken as 3 (no right-hand digit
// has a bar wider than 3 modules).
constexpr std::int16_t kRightHalfInterval = 30;

// At least this many edges reach the middle guard (edges 28 to 31).
constexpr std::int16_t kMiddleGuardEdges = 32;
// The left guard needs edges 0 to 3.
constexpr std::int16_t kLeftGuardEdges = 4;
// More edges than this is a whole code; otherwise one half.
constexpr std::int16_t kHalfCodeMaxEdges = 48;

// Class thresholds in module widths. They compare in single precision, like
// the measured ratios, so a ratio equal to a threshold takes the upper class.
constexpr float kTwoModules = 1.5f;
constexpr float kThreeModules = 2.5f;
constexpr float kFourModulesBar = 3.65f;
constexpr float kFourModulesSpace = 3.3f;

constexpr std::int16_t kFlagEdges = 1;
constexpr std::int16_t kFlagLeftDigit = 2;
constexpr std::int16_t kFlagLeadingDigit = 4;
constexpr std::int16_t kFlagCheckDigit = 8;
constexpr std::int16_t kFlagRightDigit = 16;

std::int16_t ClassifyRatio(float ratio, float fourModules) {
    if (ratio < kTwoModules) return 1; // negative ratios too
    if (ratio < kThreeModules) return 2;
    if (ratio < fourModules) return 3;
    return 4;
}

float IntervalRatio(const float* edges, std::int16_t i, float reference) {
    if (reference == 0.0f) return 0.0f;
    return (edges[i + 1] - edges[i]) / reference;
}

// Value of a pattern string, its first character being bit 6.
std::int16_t PatternValue(const QString& modules) {
    std::int16_t value = 0;
    for (int k = 0; k < modules.size(); ++k)
        if (modules.at(k) == QLatin1Char('1'))
            value = static_cast<std::int16_t>(value | (1 << (kModulesPerDigit - 1 - k)));
    return value;
}

// A reader may have stored a shorter code; the decoder writes every index up
// to 12, so the code is first padded to 13 characters.
void PadCode(QString& code) {
    if (code.size() < kCodeLength) code = code.leftJustified(kCodeLength, QLatin1Char('0'));
}

// A right half scanned on its own starts with the middle guard's first bar
// (interval 28 of a whole code): its first digit is at interval 4. Placed at
// the intervals of a whole code, it decodes like one.
constexpr std::int16_t kRightHalfOffset = 28;

std::array<float, kHalfCodeMaxEdges + kRightHalfOffset> RightHalfInCodePlace(const float* edges,
                                                                             std::int16_t count) {
    std::array<float, kHalfCodeMaxEdges + kRightHalfOffset> placed{};
    for (int i = 0; i < count && i < kHalfCodeMaxEdges; ++i)
        placed[i + kRightHalfOffset] = edges[i];
    return placed;
}

QChar DigitChar(int digit) {
    return QChar(static_cast<char16_t>(u'0' + digit));
}

} // namespace

void CCode::MeasureReferences(const float* edges, std::int16_t count, float* refBar,
                              float* refSpace) {
    if (count >= kMiddleGuardEdges) {
        // Bars of intervals 28 and 30 and the space 29, all one module wide.
        *refBar = ((edges[31] - edges[30]) + (edges[29] - edges[28])) / 2;
        *refSpace = edges[30] - edges[29];
        return;
    }
    if (count >= kLeftGuardEdges) {
        *refBar = ((edges[3] - edges[2]) + (edges[1] - edges[0])) / 2;
        *refSpace = edges[2] - edges[1];
    } else {
        // Not even the left guard: no width to propose.
        *refBar = 0;
        *refSpace = 0;
    }
    if (m_fnMessage)
        m_fnMessage(QStringLiteral(
            "Barres du milieu absentes.\nLargeurs références sur barres de gauche..."));
}

std::int16_t CCode::ClassifyBar(const float* edges, std::int16_t i, float T, float* ratio) {
    *ratio = IntervalRatio(edges, i, T);
    if (i % 2 != 0) return 1;
    std::int16_t modules = ClassifyRatio(*ratio, kFourModulesBar);
    if (i >= kRightHalfInterval && modules == 4) modules = 3;
    return modules;
}

std::int16_t CCode::ClassifySpace(const float* edges, std::int16_t i, float E, float* ratio) {
    *ratio = IntervalRatio(edges, i, E);
    if (i % 2 == 0) return 1;
    return ClassifyRatio(*ratio, kFourModulesSpace);
}

std::int16_t CCode::DecodeLeftDigit(const float* edges, std::int16_t* q, char* set, float E,
                                    float T) {
    // Rebuilt from the right: bar, space, bar; the leading space is what
    // remains of the seven modules.
    float ratio = 0;
    const std::int16_t start = *q;
    QString modules(ClassifyBar(edges, static_cast<std::int16_t>(start + 3), T, &ratio),
                    QLatin1Char('1'));
    for (int n = ClassifySpace(edges, static_cast<std::int16_t>(start + 2), E, &ratio); n > 0; --n)
        if (modules.size() < 5) modules.prepend(QLatin1Char('0'));
    for (int n = ClassifyBar(edges, static_cast<std::int16_t>(start + 1), T, &ratio); n > 0; --n)
        if (modules.size() < 6) modules.prepend(QLatin1Char('1'));
    while (modules.size() < kModulesPerDigit)
        modules.prepend(QLatin1Char('0'));
    *q = static_cast<std::int16_t>(start + 4);

    std::int16_t digit = 0;
    if (!FindPattern(PatternValue(modules), &digit, set)) return -1;
    return digit;
}

std::int16_t CCode::DecodeRightDigit(const float* edges, std::int16_t* q, float E, float T) {
    // Rebuilt from the left: bar, space, bar; the trailing space is what
    // remains of the seven modules.
    float ratio = 0;
    const std::int16_t start = *q;
    QString modules;
    for (int n = ClassifyBar(edges, start, T, &ratio); n > 0; --n)
        if (modules.size() < 4) modules.append(QLatin1Char('1'));
    int spaces = ClassifySpace(edges, static_cast<std::int16_t>(start + 1), E, &ratio);
    if (spaces == 4 && modules.size() != 1) spaces = 3;
    for (; spaces > 0; --spaces)
        if (modules.size() < 5) modules.append(QLatin1Char('0'));
    for (int n = ClassifyBar(edges, static_cast<std::int16_t>(start + 2), T, &ratio); n > 0; --n)
        if (modules.size() < 6) modules.append(QLatin1Char('1'));
    while (modules.size() < kModulesPerDigit)
        modules.append(QLatin1Char('0'));
    *q = static_cast<std::int16_t>(start + 4);

    std::int16_t digit = 0;
    char set = 'A';
    if (!FindPattern(PatternValue(modules), &digit, &set) || set != 'C') return -1;
    return digit;
}

std::int16_t CCode::DecodeLeftHalf(const float* edges, std::int16_t count, float T, float E) {
    QString& code = m_pDoc->m_strCode;
    PadCode(code);
    QString parity = QStringLiteral("XXXXXX");
    std::int16_t flags = 0;
    std::int16_t q = kFirstLeftInterval;
    int k = 1; // next character of the code to fill
    do {
        if (q + 4 >= count) {
            flags |= kFlagEdges;
            continue; // q unchanged: the loop ends here
        }
        char set = 'A';
        const std::int16_t digit = DecodeLeftDigit(edges, &q, &set, E, T);
        if (digit < 0) {
            // The next digit read takes this place: the rest shifts left.
            flags |= kFlagLeftDigit;
            continue;
        }
        code[k] = DigitChar(digit);
        if (set == 'A' || set == 'B') parity[k - 1] = QLatin1Char(set);
        ++k;
    } while (q < kMiddleGuardInterval && q + 4 < count);

    for (int leading = 0; leading < 10; ++leading)
        if (parity == m_strParity[leading]) {
            code[0] = DigitChar(leading);
            return flags;
        }
    return static_cast<std::int16_t>(flags | kFlagLeadingDigit);
}

std::int16_t CCode::DecodeRightHalf(const float* edges, std::int16_t count, float T, float E) {
    QString& code = m_pDoc->m_strCode;
    PadCode(code);
    std::int16_t flags = 0;
    std::int16_t q = kFirstRightInterval;
    int k = 7;
    do {
        if (q + 4 >= count) {
            flags |= kFlagEdges;
            continue;
        }
        const std::int16_t digit = DecodeRightDigit(edges, &q, E, T);
        if (digit < 0)
            flags |= kFlagRightDigit;
        else
            code[k] = DigitChar(digit);
        // Unlike the left half, a failed digit keeps its place.
        if (k < kCodeLength - 1) ++k;
    } while (q <= kLastRightDigitInterval && q + 4 < count);

    if (CheckDigit(code) != code.at(kCodeLength - 1).unicode() - u'0') flags |= kFlagCheckDigit;
    return flags;
}

std::int16_t CCode::Decode(const float* edges, std::int16_t count, float T, float E) {
    QString& code = m_pDoc->m_strCode;
    PadCode(code);
    if (count > kHalfCodeMaxEdges) {
        code = QStringLiteral("0000000000000");
        return static_cast<std::int16_t>(DecodeLeftHalf(edges, count, T, E) +
                                         DecodeRightHalf(edges, count, T, E));
    }

    // A half code: a one-module space at interval 3 is the middle guard's, so
    // the scan holds the right half. Without the edges of interval 3 the
    // space counts as empty, one module.
    float ratio = 0;
    const std::int16_t space3 =
        count > kFirstLeftInterval + 1 ? ClassifySpace(edges, kFirstLeftInterval, E, &ratio) : 1;
    if (space3 == 1) {
        if (m_fnMessage)
            m_fnMessage(Sprintf("Extraction code droit ...\nXXXXXXX%s", code.mid(7, 6)));
        return DecodeRightHalf(RightHalfInCodePlace(edges, count).data(),
                               static_cast<std::int16_t>(count + kRightHalfOffset), T, E);
    }
    const std::int16_t flags = DecodeLeftHalf(edges, count, T, E);
    if (m_fnMessage)
        m_fnMessage(Sprintf("Extraction code gauche ...\n%sXXXXXX", m_pDoc->m_strCode.left(7)));
    return flags;
}
