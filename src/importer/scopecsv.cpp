#include "importer/scopecsv.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

constexpr qsizetype kReadBlock = 1 << 20;     // bytes read from the device at a time
constexpr qsizetype kMaxLineLength = 1 << 16; // no layout has longer lines
constexpr int kHeadLines = 64;                // lines looked at to recognise the layout
constexpr int kMaxCells = 8;                  // cells of a row looked at
constexpr int kMaxNumberLength = 63;          // characters of one number

// ---- Lines of the device, read in blocks. A line's view stays valid until
// the next call.
class LineReader {
  public:
    explicit LineReader(QIODevice& device) : m_device(device) {}

    bool Next(QByteArrayView* line) {
        for (;;) {
            const char* begin = m_buffer.constData() + m_pos;
            const qsizetype left = m_buffer.size() - m_pos;
            const void* end = left > 0 ? std::memchr(begin, '\n', size_t(left)) : nullptr;
            if (end || (m_atEnd && left > 0)) {
                qsizetype length = end ? static_cast<const char*>(end) - begin : left;
                m_pos += end ? length + 1 : length;
                ++m_lineNumber;
                if (length > 0 && begin[length - 1] == '\r') --length;
                if (length > kMaxLineLength) return TooLong();
                *line = QByteArrayView(begin, length);
                return true;
            }
            if (left > kMaxLineLength) {
                ++m_lineNumber;
                return TooLong();
            }
            if (m_atEnd) return false;
            Fill();
        }
    }
    qint64 LineNumber() const { return m_lineNumber; } // of the last line given, from 1
    bool LineTooLong() const { return m_tooLong; }
    qint64 Position() const { return m_consumed + m_pos; }

  private:
    bool TooLong() {
        m_tooLong = true;
        return false;
    }
    void Fill() {
        m_buffer.remove(0, m_pos);
        m_consumed += m_pos;
        m_pos = 0;
        const qsizetype had = m_buffer.size();
        m_buffer.resize(had + kReadBlock);
        const qint64 got = m_device.read(m_buffer.data() + had, kReadBlock);
        m_buffer.resize(had + qsizetype(std::max<qint64>(got, 0)));
        if (got <= 0) m_atEnd = true;
    }

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0;
    qint64 m_lineNumber = 0;
    bool m_atEnd = false;
    bool m_tooLong = false;
};

// ---- Numbers, whatever the C locale says.
enum class CellKind { Number, Empty, Unreadable, NonFinite };

QByteArrayView Trimmed(QByteArrayView text) {
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && (*b == ' ' || *b == '\t' || *b == '"'))
        ++b;
    while (e > b && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '"'))
        --e;
    return QByteArrayView(b, e - b);
}

CellKind ParseNumber(QByteArrayView text, bool decimalComma, double* out) {
    text = Trimmed(text);
    if (text.isEmpty()) return CellKind::Empty;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    if (e - b > kMaxNumberLength) return CellKind::Unreadable;
    char local[kMaxNumberLength + 1];
    if (decimalComma) {
        char* p = local;
        for (const char* c = b; c < e; ++c)
            *p++ = *c == ',' ? '.' : *c;
        e = p;
        b = local;
    }
    double value = 0;
    const std::from_chars_result result = std::from_chars(b, e, value);
    if (result.ec == std::errc::result_out_of_range) return CellKind::NonFinite;
    if (result.ec != std::errc() || result.ptr != e) return CellKind::Unreadable;
    if (!std::isfinite(value)) return CellKind::NonFinite;
    *out = value;
    return CellKind::Number;
}

bool StartsLikeNumber(QByteArrayView text) {
    text = Trimmed(text);
    if (text.isEmpty()) return false;
    const char c = text.front();
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The first cells of a row (views into the line); the count of cells the row
// has, up to kMaxCells.
int SplitCells(QByteArrayView line, char separator, QByteArrayView* cells) {
    int count = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = line.indexOf(separator, start);
        const qsizetype end = at < 0 ? line.size() : at;
        cells[count++] = line.sliced(start, end - start);
        if (at < 0 || count == kMaxCells) return count;
        start = at + 1;
    }
}

// ---- Header texts.
QString Text(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

QStringList Cells(const QString& line, QChar separator) {
    QStringList cells = line.split(separator);
    for (QString& cell : cells) {
        cell = cell.trimmed();
        if (cell.size() >= 2 && cell.startsWith(QLatin1Char('"')) &&
            cell.endsWith(QLatin1Char('"')))
            cell = cell.mid(1, cell.size() - 2).trimmed();
    }
    return cells;
}

// Seconds per unit of a time unit, 0 for anything else.
double TimeUnitScale(QString unit) {
    unit = unit.trimmed().toLower();
    static const struct {
        const char* names[5];
        double scale;
    } kUnits[] = {
        {{"s", "sec", "second", "seconds", "secondes"}, 1},
        {{"ms", "millisecond", "milliseconds", "msec", nullptr}, 1e-3},
        {{"us", "\xc2\xb5s", "\xce\xbcs", "microsecond", "microseconds"}, 1e-6},
        {{"ns", "nanosecond", "nanoseconds", nullptr, nullptr}, 1e-9},
        {{"ps", "picosecond", "picoseconds", nullptr, nullptr}, 1e-12},
    };
    for (const auto& candidate : kUnits)
        for (const char* name : candidate.names)
            if (name && unit == QString::fromUtf8(name)) return candidate.scale;
    return 0;
}

// Volts per unit of a value unit ("V DC" as sigrok writes it), 0 for anything else.
double ValueUnitScale(QString unit) {
    unit = unit.trimmed().toLower();
    for (const char* suffix : {" dc", " ac", " rms"})
        if (unit.endsWith(QLatin1String(suffix))) unit.chop(int(std::strlen(suffix)));
    if (unit == QLatin1String("v") || unit == QLatin1String("volt") ||
        unit == QLatin1String("volts") || unit == QLatin1String("value"))
        return 1;
    if (unit == QLatin1String("mv") || unit == QLatin1String("millivolt") ||
        unit == QLatin1String("millivolts"))
        return 1e-3;
    return 0;
}

// "t (ms)", "U[mV]" or a bare unit: the name and the unit apart.
void SplitUnit(const QString& cell, QString* name, QString* unit) {
    for (const auto& brackets :
         {std::pair<char, char>('(', ')'), std::pair<char, char>('[', ']')}) {
        const int open = int(cell.lastIndexOf(QLatin1Char(brackets.first)));
        const int close = int(cell.lastIndexOf(QLatin1Char(brackets.second)));
        if (open >= 0 && close > open) {
            *name = cell.left(open).trimmed();
            *unit = cell.mid(open + 1, close - open - 1).trimmed();
            return;
        }
    }
    if (TimeUnitScale(cell) > 0 || ValueUnitScale(cell) > 0) {
        name->clear();
        *unit = cell;
        return;
    }
    *name = cell;
    unit->clear();
}

// ---- Layouts.
struct Layout {
    QString name;
    char separator = ',';
    bool decimalComma = false;
    qint64 dataStart = 0; // lines before the data area
    // Times: from a column, from a sample index column, or from the row count.
    int timeColumn = -1;
    int timeColumn2 = -1; // a second channel's own times (the program's export)
    int indexColumn = -1;
    double timeScale = 1;
    double timeStart = 0, timeStep = 0; // time = start + index x step
    int valueColumns[2] = {-1, -1};
    int valueCount = 0;
    double valueScale[2] = {1, 1};
    QString names[2];
    QString source;
    bool skipForeignLines = false; // sigrok: lines that are no rows are skipped
    bool unknownMarks = false;     // the program's export: "?" rows hold no sample
    bool sigrok = false;
    double sampleRate = 0;
    QStringList sigrokChannels;

    void AddValue(int column, const QString& channel, double scale) {
        if (valueCount == 2 || column >= kMaxCells) return;
        valueColumns[valueCount] = column;
        names[valueCount] = channel;
        valueScale[valueCount] = scale > 0 ? scale : 1;
        ++valueCount;
    }
};

QString LineError(qint64 line, const QString& what) {
    return QStringLiteral("Ligne %1 : %2").arg(line).arg(what);
}

QString NoLayout(qint64 line) {
    return LineError(line, QStringLiteral("format de fichier non reconnu (ni oscilloscope connu, "
                                          "ni colonnes temps et valeurs)."));
}

// Key (lower case) and value of the "Name,Value" records of a header block.
QMap<QString, QString> Records(const QStringList& lines, int from, int to, QChar separator) {
    QMap<QString, QString> records;
    for (int i = from; i < to && i < lines.size(); ++i) {
        const QStringList cells = Cells(lines[i], separator);
        if (cells.size() >= 2 && !cells[0].isEmpty() && !records.contains(cells[0].toLower()))
            records.insert(cells[0].toLower(), cells[1]);
    }
    return records;
}

QString DefaultName(int k) {
    return QStringLiteral("CH%1").arg(k + 1);
}

// Keysight numbers its channels "1", "2".
QString ChannelName(const QString& cell, int k) {
    if (cell.isEmpty()) return DefaultName(k);
    bool digit = false;
    const int number = cell.toInt(&digit);
    return digit ? QStringLiteral("CH%1").arg(number) : cell;
}

bool ReadOwnExport(const QStringList& head, int first, Layout* layout, QString* error) {
    layout->name = QStringLiteral("Export Lineatix (CODE BARRES EAN13)");
    layout->separator = '\t';
    layout->unknownMarks = true;
    layout->dataStart = first + 2;
    const QStringList cells = Cells(head.value(first + 1), QLatin1Char('\t'));
    int pairs = 0;
    for (int k = 0; k + 1 < cells.size() && k + 1 < kMaxCells && pairs < 2; k += 2) {
        const QString name = cells[k].section(QLatin1Char(':'), 0, 0);
        if (!cells[k].contains(QLatin1Char(':')) || name.isEmpty()) continue;
        if (pairs == 0)
            layout->timeColumn = k;
        else
            layout->timeColumn2 = k;
        layout->AddValue(k + 1, name, 1);
        ++pairs;
    }
    if (pairs == 0) *error = NoLayout(first + 2);
    return pairs > 0;
}

int IndexOf(const QStringList& cells, const char* name) {
    for (int k = 0; k < cells.size(); ++k)
        if (cells[k].compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return k;
    return -1;
}

bool ReadRigol(const QStringList& head, int first, Layout* layout, QString* error) {
    layout->name = QStringLiteral("Rigol DS1000Z");
    const QStringList names = Cells(head[first], QLatin1Char(','));
    const QStringList values = Cells(head.value(first + 1), QLatin1Char(','));
    const int start = IndexOf(names, "Start");
    const int increment = IndexOf(names, "Increment");
    double startValue = 0, incrementValue = 0;
    const QByteArray startText = values.value(start).toLatin1();
    const QByteArray incrementText = values.value(increment).toLatin1();
    if (ParseNumber(startText, false, &startValue) != CellKind::Number ||
        ParseNumber(incrementText, false, &incrementValue) != CellKind::Number ||
        incrementValue <= 0) {
        *error = LineError(first + 2, QStringLiteral("début ou incrément de temps illisible."));
        return false;
    }
    layout->indexColumn = 0;
    layout->timeStart = startValue;
    layout->timeStep = incrementValue;
    for (int k = 1; k < std::min(start, increment); ++k)
        if (!names[k].isEmpty()) layout->AddValue(k, names[k], ValueUnitScale(values.value(k)));
    layout->dataStart = first + 2;
    if (layout->valueCount == 0) *error = NoLayout(first + 1);
    return layout->valueCount > 0;
}

bool ReadKeysight(const QStringList& head, int first, Layout* layout, QString* error) {
    layout->name = QStringLiteral("Keysight InfiniiVision");
    const QStringList names = Cells(head[first], QLatin1Char(','));
    const QStringList units = Cells(head.value(first + 1), QLatin1Char(','));
    layout->timeColumn = 0;
    const double timeScale = TimeUnitScale(units.value(0));
    layout->timeScale = timeScale > 0 ? timeScale : 1;
    for (int k = 1; k < names.size(); ++k)
        if (!names[k].isEmpty())
            layout->AddValue(k, ChannelName(names[k], k - 1), ValueUnitScale(units.value(k)));
    layout->dataStart = first + 2;
    if (layout->valueCount == 0) *error = NoLayout(first + 1);
    return layout->valueCount > 0;
}

bool ReadTds(const QStringList& head, int first, Layout* layout) {
    layout->name = QStringLiteral("Tektronix TDS2000/TBS1000");
    const QMap<QString, QString> records = Records(head, first, int(head.size()), QLatin1Char(','));
    layout->source = records.value(QStringLiteral("source"));
    layout->timeColumn = 3;
    const double timeScale = TimeUnitScale(records.value(QStringLiteral("horizontal units")));
    layout->timeScale = timeScale > 0 ? timeScale : 1;
    layout->AddValue(4, layout->source.isEmpty() ? DefaultName(0) : layout->source,
                     ValueUnitScale(records.value(QStringLiteral("vertical units"))));
    layout->dataStart = first;
    return true;
}

// Tektronix MSO/DPO: records, then "TIME,CH1,CH2" and the rows.
bool ReadMso(const QStringList& head, int first, int header, Layout* layout) {
    layout->name = QStringLiteral("Tektronix MSO/DPO");
    const QMap<QString, QString> records = Records(head, first, header, QLatin1Char(','));
    const QStringList names = Cells(head[header], QLatin1Char(','));
    layout->timeColumn = 0;
    const double timeScale = TimeUnitScale(records.value(QStringLiteral("horizontal units")));
    layout->timeScale = timeScale > 0 ? timeScale : 1;
    const double valueScale = ValueUnitScale(records.value(QStringLiteral("vertical units")));
    for (int k = 1; k < names.size(); ++k)
        if (!names[k].isEmpty()) layout->AddValue(k, names[k], valueScale);
    layout->source = records.value(QStringLiteral("source"));
    layout->dataStart = header + 1;
    return layout->valueCount > 0;
}

// Siglent SDS: records, then the units line "Second,Volt,Volt" and the rows.
bool ReadSiglent(const QStringList& head, int first, int units, Layout* layout) {
    const QMap<QString, QString> records = Records(head, first, units, QLatin1Char(','));
    const bool plus = records.value(QStringLiteral("record length"))
                          .startsWith(QLatin1String("Analog:"), Qt::CaseInsensitive);
    layout->name =
        plus ? QStringLiteral("Siglent SDS2000X Plus") : QStringLiteral("Siglent SDS1000X-E");
    const QStringList unitCells = Cells(head[units], QLatin1Char(','));
    // The sources, when a record names them: "Source,CH1,CH2".
    QStringList sources;
    for (int i = first; i < units; ++i) {
        const QStringList cells = Cells(head[i], QLatin1Char(','));
        if (cells.value(0).compare(QLatin1String("Source"), Qt::CaseInsensitive) == 0)
            sources = cells.mid(1);
    }
    layout->source = sources.value(0);
    layout->timeColumn = 0;
    layout->timeScale = TimeUnitScale(unitCells.value(0));
    for (int k = 1; k < unitCells.size(); ++k)
        if (!unitCells[k].isEmpty())
            layout->AddValue(
                k, sources.value(k - 1).isEmpty() ? DefaultName(k - 1) : sources.value(k - 1),
                ValueUnitScale(unitCells[k]));
    layout->dataStart = units + 1;
    return layout->valueCount > 0;
}

// sigrok: the comments now; the header (which version 0.7.2 may write after
// thousands of other lines) once the first pass has found it.
void ReadSigrokComments(const QStringList& head, int first, Layout* layout) {
    layout->name = QStringLiteral("sigrok-cli/PulseView");
    layout->sigrok = true;
    layout->skipForeignLines = true;
    int i = first;
    for (; i < head.size() && head[i].startsWith(QLatin1Char(';')); ++i) {
        const QString comment = head[i].mid(1).trimmed();
        if (comment.startsWith(QLatin1String("Samplerate:"), Qt::CaseInsensitive)) {
            const QStringList parts = comment.section(QLatin1Char(':'), 1).simplified().split(' ');
            double rate = 0;
            if (ParseNumber(parts.value(0).toLatin1(), false, &rate) == CellKind::Number) {
                const QString unit = parts.value(1).toLower();
                const double scale = unit == QLatin1String("khz")   ? 1e3
                                     : unit == QLatin1String("mhz") ? 1e6
                                     : unit == QLatin1String("ghz") ? 1e9
                                                                    : 1;
                layout->sampleRate = rate * scale;
            }
        } else if (comment.startsWith(QLatin1String("Channels"), Qt::CaseInsensitive)) {
            for (const QString& name : comment.section(QLatin1Char(':'), 1).split(','))
                if (!name.trimmed().isEmpty()) layout->sigrokChannels << name.trimmed();
        }
    }
    layout->dataStart = i;
}

bool IsSigrokHeader(QByteArrayView line) {
    const QByteArrayView text = Trimmed(line);
    return !text.isEmpty() && !StartsLikeNumber(text) && !text.startsWith(';') &&
           !text.contains(':') && text != QByteArrayView("FRAME-END");
}

// Once the header is known: times from the sample rate, or from a time column
// whose first cell names its unit when the rate is missing. With channel
// names for labels ("Time,A0,A1") or no labels at all, the time column's unit
// is not written: the column is then told by the rows holding one cell more
// than there are channels, and the rate is needed.
bool FinishSigrok(Layout* layout, const QByteArray& header, qint64 headerLine, int rowCells,
                  QString* error) {
    const QStringList cells = Cells(Text(header), QLatin1Char(','));
    const int channels = int(layout->sigrokChannels.size());
    const bool extraCell = channels > 0 ? rowCells == channels + 1
                                        : !header.isEmpty() && rowCells == int(cells.size());
    const bool unnamedTime = extraCell && rowCells >= 2 &&
                             (header.isEmpty() ? channels > 0
                                               : cells.value(0).compare(QLatin1String("time"),
                                                                        Qt::CaseInsensitive) == 0);
    const bool namedTime = !header.isEmpty() && TimeUnitScale(cells.value(0)) > 0;
    const int column = namedTime || unnamedTime ? 1 : 0;
    if (layout->sampleRate > 0) {
        // The first sample lies one period in, as the time column counts it;
        // the rate is exact where the column's whole units are not (3 MHz
        // counts 333 ns a period).
        layout->timeStart = layout->timeStep = 1 / layout->sampleRate;
    } else if (namedTime) {
        layout->timeColumn = 0;
        layout->timeScale = TimeUnitScale(cells.value(0));
    } else {
        *error = LineError(std::max<qint64>(headerLine, 1),
                           unnamedTime ? QStringLiteral("colonne de temps sans unité et "
                                                        "pas de fréquence d'échantillonnage.")
                                       : QStringLiteral("ni colonne de temps ni fréquence "
                                                        "d'échantillonnage."));
        return false;
    }
    const int columns = header.isEmpty() ? rowCells : int(cells.size());
    for (int k = column; k < columns; ++k) {
        QString name = layout->sigrokChannels.value(k - column);
        const double scale = ValueUnitScale(cells.value(k));
        if (name.isEmpty())
            name = scale > 0 || cells.value(k).isEmpty() ? DefaultName(k - column) : cells.value(k);
        layout->AddValue(k, name, scale);
    }
    if (layout->valueCount == 0) *error = NoLayout(std::max<qint64>(headerLine, 1));
    return layout->valueCount > 0;
}

bool ReadGeneric(const QStringList& head, int first, Layout* layout, QString* error) {
    layout->name = QStringLiteral("CSV générique");
    const QString& line = head[first];
    for (const QChar c : line)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) {
            *error = NoLayout(first + 1);
            return false;
        }
    layout->separator = line.contains(QLatin1Char('\t'))  ? '\t'
                        : line.contains(QLatin1Char(';')) ? ';'
                                                          : ',';
    layout->decimalComma = layout->separator != ',';
    const QStringList cells = Cells(line, QLatin1Char(layout->separator));
    if (cells.size() < 2) {
        *error = NoLayout(first + 1);
        return false;
    }
    const bool header = !StartsLikeNumber(cells[0].toUtf8());
    layout->dataStart = header ? first + 1 : first;
    layout->timeColumn = 0;
    QString name, unit;
    if (header) {
        SplitUnit(cells[0], &name, &unit);
        const double scale = TimeUnitScale(unit);
        layout->timeScale = scale > 0 ? scale : 1;
    }
    for (int k = 1; k < cells.size(); ++k) {
        if (header) SplitUnit(cells[k], &name, &unit);
        if (header && name.isEmpty() && unit.isEmpty()) continue; // a trailing separator
        layout->AddValue(k, header && !name.isEmpty() ? name : DefaultName(k - 1),
                         header ? ValueUnitScale(unit) : 1);
    }
    if (layout->valueCount == 0) *error = NoLayout(first + 1);
    return layout->valueCount > 0;
}

int FirstCellIndex(const QStringList& head, int first, const char* cell) {
    for (int i = first; i < head.size(); ++i)
        if (Cells(head[i], QLatin1Char(','))
                .value(0)
                .compare(QLatin1String(cell), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Recognise(const QStringList& head, Layout* layout, QString* error) {
    int first = 0;
    while (first < head.size() && head[first].trimmed().isEmpty())
        ++first;
    if (first == head.size()) {
        *error = NoLayout(std::max(1, first));
        return false;
    }
    const QString line = head[first].trimmed();
    const QStringList cells = Cells(line, QLatin1Char(','));
    const QString firstCell = cells.value(0);
    if (line == QLatin1String("CODE BARRES EAN13"))
        return ReadOwnExport(head, first, layout, error);
    if (firstCell == QLatin1String("X") &&
        cells.contains(QLatin1String("Start"), Qt::CaseInsensitive) &&
        cells.contains(QLatin1String("Increment"), Qt::CaseInsensitive))
        return ReadRigol(head, first, layout, error);
    if (firstCell.compare(QLatin1String("x-axis"), Qt::CaseInsensitive) == 0)
        return ReadKeysight(head, first, layout, error);
    if (line.startsWith(QLatin1Char(';'))) {
        ReadSigrokComments(head, first, layout);
        return true;
    }
    const int units = FirstCellIndex(head, first, "Second");
    if (units > first && FirstCellIndex(head, first, "Record Length") >= first &&
        ReadSiglent(head, first, units, layout))
        return true;
    const int time = FirstCellIndex(head, first, "TIME");
    if (time > first && ReadMso(head, first, time, layout)) return true;
    if (firstCell.compare(QLatin1String("Record Length"), Qt::CaseInsensitive) == 0 &&
        cells.size() >= 5 && StartsLikeNumber(cells[3].toLatin1()))
        return ReadTds(head, first, layout);
    *layout = Layout();
    return ReadGeneric(head, first, layout, error);
}

enum class LineKind { Skip, Row };

LineKind Classify(const Layout& layout, QByteArrayView line) {
    const QByteArrayView text = Trimmed(line);
    if (text.isEmpty()) return LineKind::Skip;
    if (layout.skipForeignLines && !StartsLikeNumber(text)) return LineKind::Skip;
    bool onlySeparators = true;
    for (const char c : text)
        if (c != layout.separator && c != ' ') onlySeparators = false;
    if (onlySeparators) return LineKind::Skip;
    if (layout.unknownMarks) {
        QByteArrayView cells[kMaxCells];
        const int count = SplitCells(line, layout.separator, cells);
        for (int column : {layout.timeColumn, layout.timeColumn2, layout.valueColumns[0],
                           layout.valueColumns[1]})
            if (column >= 0 && column < count && Trimmed(cells[column]) == QByteArrayView("?"))
                return LineKind::Skip;
    }
    return LineKind::Row;
}

// One cell of a row as a number, or the message naming it.
bool CellValue(const QByteArrayView* cells, int count, int column, const Layout& layout,
               qint64 line, double scale, double* value, QString* error) {
    double number = 0;
    const CellKind kind =
        column < count ? ParseNumber(cells[column], layout.decimalComma, &number) : CellKind::Empty;
    const float stored = float(number * scale);
    if (kind == CellKind::Number && std::isfinite(stored)) {
        *value = number * scale;
        return true;
    }
    const QString what = kind == CellKind::Empty        ? QStringLiteral("valeur manquante")
                         : kind == CellKind::Unreadable ? QStringLiteral("valeur illisible")
                                                        : QStringLiteral("valeur non finie");
    *error = LineError(line, QStringLiteral("%1 (colonne %2).").arg(what).arg(column + 1));
    return false;
}

// Progress in thousandths: the first pass is the first half.
int Permille(int pass, qint64 position, qint64 size) {
    return int(500 * pass + 500 * std::min(position, size) / std::max<qint64>(size, 1));
}

} // namespace

ScopeReadStatus ReadScopeCsv(QIODevice& device, const ScopeReadOptions& options,
                             ScopeRecord* record, QString* error) {
    const int chunk = std::max(1, options.chunkLines);
    const qint64 size = device.size();
    if (!device.seek(0)) {
        *error = QStringLiteral("Lecture impossible : le fichier ne se relit pas.");
        return ScopeReadStatus::Failed;
    }
    QStringList head;
    {
        LineReader reader(device);
        QByteArrayView line;
        while (head.size() < kHeadLines && reader.Next(&line))
            head << Text(line.toByteArray());
        if (reader.LineTooLong() && head.size() < kHeadLines) {
            *error = LineError(reader.LineNumber(), QStringLiteral("ligne trop longue."));
            return ScopeReadStatus::Failed;
        }
    }
    Layout layout;
    if (!Recognise(head, &layout, error)) return ScopeReadStatus::Failed;

    // First pass: the rows, and the sigrok header wherever it stands.
    qint64 lines = 0;
    qint64 rows = 0;
    int firstRowCells = 0;
    QByteArray sigrokHeader;
    qint64 sigrokHeaderLine = layout.dataStart;
    device.seek(0);
    {
        LineReader reader(device);
        QByteArrayView line;
        while (reader.Next(&line)) {
            if (reader.LineNumber() > layout.dataStart) {
                if (Classify(layout, line) == LineKind::Row) {
                    if (rows++ == 0) {
                        QByteArrayView cells[kMaxCells];
                        firstRowCells = SplitCells(line, layout.separator, cells);
                    }
                } else if (layout.sigrok && sigrokHeader.isEmpty() && IsSigrokHeader(line)) {
                    sigrokHeader = line.toByteArray();
                    sigrokHeaderLine = reader.LineNumber();
                }
            }
            if (++lines % chunk == 0) {
                if (options.progress) options.progress(Permille(0, reader.Position(), size));
                if (options.cancel && options.cancel(lines)) return ScopeReadStatus::Cancelled;
            }
        }
        if (reader.LineTooLong()) {
            *error = LineError(reader.LineNumber(), QStringLiteral("ligne trop longue."));
            return ScopeReadStatus::Failed;
        }
    }
    if (layout.sigrok &&
        !FinishSigrok(&layout, sigrokHeader, sigrokHeaderLine, firstRowCells, error))
        return ScopeReadStatus::Failed;
    if (rows == 0) {
        *error = LineError(std::max<qint64>(layout.dataStart, 1),
                           QStringLiteral("aucune ligne de mesures après l'en-tête."));
        return ScopeReadStatus::Failed;
    }

    // Second pass: every row checked, the evenly spread ones kept.
    const qint64 keep = std::min<qint64>(rows, std::max(1, options.maxRows));
    ScopeRecord read;
    read.layout = layout.name;
    read.source = layout.source;
    read.fileRows = rows;
    read.channels.resize(size_t(layout.valueCount));
    for (int k = 0; k < layout.valueCount; ++k) {
        read.channels[size_t(k)].name = layout.names[k];
        read.channels[size_t(k)].time.reserve(size_t(keep));
        read.channels[size_t(k)].value.reserve(size_t(keep));
    }
    double previous[2] = {-std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    double firstTime = 0, lastTime = 0;
    qint64 row = 0, kept = 0, nextKept = 0;
    device.seek(0);
    LineReader reader(device);
    QByteArrayView line;
    while (reader.Next(&line)) {
        const qint64 number = reader.LineNumber();
        if (number > layout.dataStart && Classify(layout, line) == LineKind::Row) {
            if (row >= rows) break; // the file grew since the first pass
            QByteArrayView cells[kMaxCells];
            const int count = SplitCells(line, layout.separator, cells);
            double times[2] = {0, 0};
            if (layout.timeColumn >= 0) {
                if (!CellValue(cells, count, layout.timeColumn, layout, number, layout.timeScale,
                               &times[0], error))
                    return ScopeReadStatus::Failed;
            } else {
                double index = double(row);
                if (layout.indexColumn >= 0 &&
                    !CellValue(cells, count, layout.indexColumn, layout, number, 1, &index, error))
                    return ScopeReadStatus::Failed;
                times[0] = layout.timeStart + index * layout.timeStep;
            }
            times[1] = times[0];
            if (layout.timeColumn2 >= 0 && !CellValue(cells, count, layout.timeColumn2, layout,
                                                      number, layout.timeScale, &times[1], error))
                return ScopeReadStatus::Failed;
            double values[2] = {0, 0};
            for (int k = 0; k < layout.valueCount; ++k)
                if (!CellValue(cells, count, layout.valueColumns[k], layout, number,
                               layout.valueScale[k], &values[k], error))
                    return ScopeReadStatus::Failed;
            for (int k = 0; k < 2; ++k) {
                if (!(times[k] > previous[k])) {
                    *error = LineError(number, QStringLiteral("les temps ne croissent pas."));
                    return ScopeReadStatus::Failed;
                }
                previous[k] = times[k];
            }
            if (row == 0) firstTime = times[0];
            lastTime = times[0];
            if (row == nextKept) {
                for (int k = 0; k < layout.valueCount; ++k) {
                    read.channels[size_t(k)].time.push_back(float(times[k]));
                    read.channels[size_t(k)].value.push_back(float(values[k]));
                }
                ++kept;
                nextKept = kept < keep ? kept * rows / keep : -1;
            }
            ++row;
        }
        if (++lines % chunk == 0) {
            if (options.progress) options.progress(Permille(1, reader.Position(), size));
            if (options.cancel && options.cancel(lines)) return ScopeReadStatus::Cancelled;
        }
    }
    if (reader.LineTooLong()) {
        *error = LineError(reader.LineNumber(), QStringLiteral("ligne trop longue."));
        return ScopeReadStatus::Failed;
    }
    if (row != rows) {
        *error = QStringLiteral("Le fichier a changé pendant la lecture.");
        return ScopeReadStatus::Failed;
    }
    read.timeStep = rows > 1 ? (lastTime - firstTime) / double(rows - 1) : 0;
    if (options.progress) options.progress(1000);
    *record = std::move(read);
    return ScopeReadStatus::Read;
}

ScopeReadStatus ReadScopeCsvFile(const QString& path, const ScopeReadOptions& options,
                                 ScopeRecord* record, QString* error) {
    const QFileInfo info(path);
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        *error = QStringLiteral("%1 : fichier introuvable.").arg(path);
        return ScopeReadStatus::Failed;
    }
    // A folder, a pipe or a device would block or never end.
    if (!S_ISREG(status.st_mode)) {
        *error = QStringLiteral("%1 : ce n'est pas un fichier ordinaire.").arg(path);
        return ScopeReadStatus::Failed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 : lecture impossible (%2).").arg(path, file.errorString());
        return ScopeReadStatus::Failed;
    }
    const ScopeReadStatus read = ReadScopeCsv(file, options, record, error);
    if (read == ScopeReadStatus::Failed) *error = info.fileName() + QStringLiteral(" : ") + *error;
    return read;
}
