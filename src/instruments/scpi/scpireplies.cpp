#include "instruments/scpi/scpireplies.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kPreambleFields = 10;
// Rigol's deepest memory is 24 Mpoints; a larger count is a corrupt preamble.
constexpr double kMaxPreamblePoints = 1e9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

ScpiBlock FindScpiBlock(const QByteArray& buffer) {
    ScpiBlock block;
    const qsizetype hash = buffer.indexOf('#');
    if (hash < 0 || hash + 1 >= buffer.size()) return block;
    const char n = buffer.at(hash + 1);
    // "#0" is an indefinite-length block: never sent in answer to :WAV:DATA?.
    if (n < '1' || n > '9') {
        block.status = ScpiBlock::Invalid;
        return block;
    }
    const int digits = n - '0';
    if (hash + 2 + digits > buffer.size()) return block;
    qint64 length = 0;
    for (int k = 0; k < digits; ++k) {
        const char c = buffer.at(hash + 2 + k);
        if (!IsDigit(c)) {
            block.status = ScpiBlock::Invalid;
            return block;
        }
        length = length * 10 + (c - '0');
    }
    block.length = length;
    block.dataOffset = hash + 2 + digits;
    if (block.dataOffset + length > buffer.size()) return block;
    block.end = block.dataOffset + qsizetype(length);
    block.status = ScpiBlock::Complete;
    return block;
}

bool TakeScpiLine(QByteArray* buffer, QByteArray* line) {
    for (;;) {
        const qsizetype end = buffer->indexOf('\n');
        if (end < 0) return false;
        QByteArray taken = buffer->left(end).trimmed();
        buffer->remove(0, end + 1);
        if (!taken.isEmpty()) {
            *line = taken;
            return true;
        }
    }
}

bool ParseScpiPreamble(const QByteArray& line, ScpiPreamble* preamble, QString* why) {
    QByteArray text = line.trimmed();
    // A header ("#:WAV:PRE " on a scope with headers on) ends at the first blank.
    if (!text.isEmpty() && !IsDigit(text.at(0)) && text.at(0) != '+' && text.at(0) != '-' &&
        text.at(0) != '.') {
        qsizetype blank = 0;
        while (blank < text.size() && !IsBlank(text.at(blank)))
            ++blank;
        text = text.mid(blank).trimmed();
    }
    const QList<QByteArray> fields = text.split(',');
    if (fields.size() != kPreambleFields) {
        *why = QStringLiteral("préambule de %1 champs au lieu de %2")
                   .arg(fields.size())
                   .arg(kPreambleFields);
        return false;
    }
    double values[kPreambleFields];
    for (int k = 0; k < kPreambleFields; ++k) {
        bool ok = false;
        // QByteArray::toDouble reads the C locale's "." whatever the user's locale.
        values[k] = fields[k].trimmed().toDouble(&ok);
        if (!ok) {
            *why = QStringLiteral("champ %1 du préambule illisible : \"%2\"")
                       .arg(k + 1)
                       .arg(QString::fromLatin1(fields[k].trimmed().left(40)));
            return false;
        }
        if (!std::isfinite(values[k])) {
            *why = QStringLiteral("champ %1 du préambule non fini").arg(k + 1);
            return false;
        }
    }
    if (values[0] != 0) {
        *why = QStringLiteral("format de transfert %1 au lieu de BYTE").arg(values[0]);
        return false;
    }
    if (!(values[2] >= 1 && values[2] <= kMaxPreamblePoints) ||
        values[2] != std::floor(values[2])) {
        *why = QStringLiteral("nombre de points %1 impossible").arg(values[2]);
        return false;
    }
    if (!(values[4] > 0) || values[7] == 0) {
        *why = QStringLiteral("pas de temps ou de tension nul");
        return false;
    }
    preamble->format = int(values[0]);
    preamble->type = int(std::clamp(values[1], -1.0, 99.0));
    preamble->points = qint64(values[2]);
    preamble->count = qint64(std::clamp(values[3], 0.0, kMaxPreamblePoints));
    preamble->xIncrement = values[4];
    preamble->xOrigin = values[5];
    preamble->xReference = values[6];
    preamble->yIncrement = values[7];
    preamble->yOrigin = values[8];
    preamble->yReference = values[9];
    return true;
}

ScpiIdentity IdentifyScpi(const QString& idn) {
    ScpiIdentity identity;
    const QStringList fields = idn.trimmed().split(QLatin1Char(','));
    identity.maker = fields.value(0).trimmed();
    identity.model = fields.value(1).trimmed();
    const QString maker = identity.maker.toUpper();
    if (maker.contains(QLatin1String("RIGOL")))
        identity.dialect = ScpiDialect::Rigol;
    else if (maker.contains(QLatin1String("KEYSIGHT")) || maker.contains(QLatin1String("AGILENT")))
        identity.dialect = ScpiDialect::Keysight;
    else if (maker.contains(QLatin1String("TEKTRONIX")))
        identity.dialect = ScpiDialect::Tektronix;
    return identity;
}

double ScpiTime(qint64 index, const ScpiPreamble& preamble) {
    return (double(index) - preamble.xReference) * preamble.xIncrement + preamble.xOrigin;
}

double ScpiVolts(ScpiDialect dialect, int byte, const ScpiPreamble& preamble) {
    // Rigol counts the origin in levels; Keysight gives it in volts.
    if (dialect == ScpiDialect::Rigol)
        return (byte - preamble.yOrigin - preamble.yReference) * preamble.yIncrement;
    return (byte - preamble.yReference) * preamble.yIncrement + preamble.yOrigin;
}

std::vector<qint64> ThinnedIndices(qint64 total, int rows) {
    std::vector<qint64> indices;
    if (total <= 0 || rows <= 0) return indices;
    const qint64 kept = std::min<qint64>(total, rows);
    indices.reserve(std::size_t(kept));
    // Row r takes point floor(r * total / kept): evenly spread, first point kept.
    for (qint64 r = 0; r < kept; ++r)
        indices.push_back(r * total / kept);
    return indices;
}

QString ScpiDialectNote(const ScpiIdentity& identity) {
    switch (identity.dialect) {
    case ScpiDialect::Rigol:
        return QStringLiteral("Oscilloscope Rigol : acquisition possible.");
    case ScpiDialect::Keysight:
        return QStringLiteral("Oscilloscope Keysight/Agilent : acquisition possible.");
    case ScpiDialect::Tektronix:
        return QStringLiteral("Oscilloscope Tektronix : utiliser le menu Acq. Tektronix.");
    case ScpiDialect::Unsupported:
        break;
    }
    return QStringLiteral("Oscilloscope non pris en charge : seuls les Rigol et les "
                          "Keysight/Agilent le sont ici.");
}
