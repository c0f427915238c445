#include "instruments/tektronix/tekreplies.h"

#include <charconv>
#include <cmath>

#include "common/format.h"
#include "doc/zbdoc.h"

const TekSource kTekSources[kTekSourceCount] = {
    {1, "Voie &1", "CH1", "SELect:CH1 ON\n", "DATA:SOURCE CH1\n", "CH1:"},
    {2, "Voie &2", "CH2", "SELect:CH2 ON\n", "DATA:SOURCE CH2\n", "CH2:"},
    {4, "&Ref1", "REF1", "SELect:REF1 ON\n", "DATA:SOURCE REF1\n", "REF1:"},
    {8, "R&ef2", "REF2", "SELect:REF2 ON\n", "DATA:SOURCE REF2\n", "REF2:"},
    {16, "&Math", "MATH", "SELect:MATH ON\n", "DATA:SOURCE MATH\n", "MATH:"},
};

namespace {

constexpr int kMaxCurveValue = 15; // characters of one curve value

// The characters scanf would look at: white space skipped, a leading '+'
// dropped (from_chars takes only '-').
QByteArray NumberText(const QString& text) {
    QByteArray bytes = text.toLatin1().trimmed();
    if (bytes.startsWith('+') && !bytes.startsWith("+-")) bytes.remove(0, 1);
    return bytes;
}

} // namespace

const TekSource* FindTekSource(const QString& name) {
    for (const TekSource& source : kTekSources)
        if (name.compare(QLatin1String(source.name), Qt::CaseInsensitive) == 0) return &source;
    return nullptr;
}

QByteArray PreambleQueries(const QString& prefix) {
    const QString p = prefix;
    return Sprintf("WFMPre:%sNR_Pt?\nWFMPre:%sPT_Off?\nWFMPre:%sXINcr?\nWFMPre:%sYMULt?\n", p, p, p,
                   p)
               .toLatin1() +
           Sprintf("WFMPre:%sYZERo?\nWFMPre:%sYOFf?\n", p, p).toLatin1();
}

bool ScanInt(const QString& text, std::int32_t* value) {
    const QByteArray bytes = NumberText(text);
    const char* end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, *value);
    return result.ec == std::errc() && result.ptr != bytes.constData();
}

bool ScanFloat(const QString& text, float* value) {
    const QByteArray bytes = NumberText(text);
    // Read as a double, as scanf does before narrowing: a value beyond the
    // float range becomes infinite and is refused below.
    double d = 0;
    const auto result = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), d);
    if (result.ec != std::errc() || result.ptr == bytes.constData()) return false;
    const float f = float(d);
    if (!std::isfinite(f)) return false;
    *value = f;
    return true;
}

bool ReadPreamble(const QString lines[6], CTekPreamble* preamble) {
    CTekPreamble read;
    if (!ScanInt(lines[0], &read.m_nNrPt) || !ScanInt(lines[1], &read.m_nPtOff) ||
        !ScanFloat(lines[2], &read.m_fXIncr) || !ScanFloat(lines[3], &read.m_fYMult) ||
        !ScanFloat(lines[4], &read.m_fYZero) || !ScanFloat(lines[5], &read.m_fYOff))
        return false;
    if (read.m_nNrPt <= 0) return false;
    *preamble = read;
    return true;
}

bool ConvertCurve(const QString& reply, const CTekPreamble& preamble, CZbDoc& doc, int column) {
    doc.m_nPoints = 0;
    QString value;
    bool tooLong = false;
    for (const QChar c : reply) {
        if (c != QLatin1Char(',')) {
            if (value.size() < kMaxCurveValue)
                value += c;
            else
                tooLong = true;
            continue;
        }
        std::int32_t raw = 0;
        if (!tooLong && ScanInt(value, &raw) && doc.m_nPoints < doc.m_nCapacity) {
            const int i = doc.m_nPoints;
            const float time = float(double(i - preamble.m_nPtOff) * double(preamble.m_fXIncr));
            const float volts =
                float((double(raw) - double(preamble.m_fYOff)) * double(preamble.m_fYMult) +
                      double(preamble.m_fYZero));
            // Finite scales can still overflow a float with an absurd level.
            if (std::isfinite(time) && std::isfinite(volts)) {
                doc.m_fT[i][column] = time;
                doc.m_fT[i][column + 1] = volts;
                ++doc.m_nPoints;
            }
        }
        value.clear();
        tooLong = false;
    }
    if (doc.m_nPoints == doc.m_nCapacity) {
        doc.m_nPoints = 0;
        return false;
    }
    return true;
}
