#pragma once

// A Rigol DS1000Z or Keysight InfiniiVision 1000 X oscilloscope as their
// programming guides describe it, for the SCPI acquisition tests: commands
// in long or short form in any case, several on a line separated by ";",
// text replies ending with a line feed, waveforms as IEEE 488.2 blocks
// ("#9" and nine digits on the Rigol, "#8" on the Keysight) followed by a
// line feed. Faults are switched on by the tests. Header only.

#include <QByteArray>
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>

class CScriptedScope {
  public:
    enum Vendor { Rigol, Keysight };

    explicit CScriptedScope(Vendor vendor) : m_vendor(vendor) {
        m_memory = vendor == Rigol ? 12000 : 62500;
    }

    // The level byte of point `index` of the whole record of a channel.
    static unsigned char Level(int channel, long long index) {
        return static_cast<unsigned char>((index * 13 + 60 * channel) % 251);
    }

    // Bytes from the program; returns the scope's replies to the complete lines.
    QByteArray Feed(const QByteArray& bytes) {
        m_pending += bytes;
        QByteArray out;
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            for (const QByteArray& command : line.split(';'))
                if (!command.trimmed().isEmpty()) out += Handle(command.trimmed());
        }
        return out;
    }

    // The scope's settings and faults, set by the tests.
    long long m_memory; // points in the acquisition memory
    bool m_displayed[2] = {true, true};
    bool m_running = true;
    QByteArray m_runningStatus = "TD"; // Rigol :TRIG:STAT? while running (Keysight: RUN)
    QByteArray m_idn;                  // replaces the identification when not empty
    QByteArray m_preamble;             // replaces the preamble when not empty
    QByteArray m_beforeBlock;          // sent before each block (a header, garbage)
    int m_shortBy = 0;                 // the block's data stops this many bytes short
    QByteArray m_muteOn;               // from this query on (short form), nothing is answered
    int m_muteOccurrence = 1;          // ... at its n-th occurrence
    bool m_bSingle = false;            // Keysight: armed for a single acquisition

    // What happened.
    QList<QByteArray> m_commands; // every command, as received
    bool m_bReadWhileRunning = false;
    bool m_bMuted = false;

  private:
    // Long forms and their short forms, as the guides print them (upper case = short).
    static QByteArray Short(const QByteArray& keyword) {
        static const char* const kLong[] = {"CHANNEL",  "DISPLAY", "TRIGGER",  "STATUS",
                                            "WAVEFORM", "SOURCE",  "FORMAT",   "PREAMBLE",
                                            "START",    "POINTS",  "UNSIGNED", "RSTATE"};
        static const char* const kShort[] = {"CHAN", "DISP", "TRIG", "STAT", "WAV", "SOUR",
                                             "FORM", "PRE",  "STAR", "POIN", "UNS", "RST"};
        QByteArray upper = keyword.toUpper();
        QByteArray digits;
        while (!upper.isEmpty() && upper.back() >= '0' && upper.back() <= '9') {
            digits.prepend(upper.back());
            upper.chop(1);
        }
        for (std::size_t k = 0; k < sizeof kLong / sizeof kLong[0]; ++k)
            if (upper.startsWith(kShort[k]) && QByteArray(kLong[k]).startsWith(upper))
                return QByteArray(kShort[k]) + digits;
        return upper + digits;
    }

    // ":wav:pre?" -> ":WAV:PRE?", the argument apart.
    static void Split(const QByteArray& command, QByteArray* header, QByteArray* argument) {
        const qsizetype blank = command.indexOf(' ');
        QByteArray head = blank < 0 ? command : command.left(blank);
        *argument = blank < 0 ? QByteArray() : command.mid(blank + 1).trimmed().toUpper();
        const bool query = head.endsWith('?');
        if (query) head.chop(1);
        QByteArray normal;
        for (const QByteArray& keyword : head.split(':'))
            if (!keyword.isEmpty()) normal += ':' + Short(keyword);
        if (head.startsWith('*')) normal = head.toUpper();
        *header = normal + (query ? "?" : "");
    }

    // A scope writes "1.000000e-06" whatever the locale of the computer reading it.
    static QByteArray Number(double value) { return QByteArray::number(value, 'e', 6); }

    QByteArray Handle(const QByteArray& command) {
        m_commands << command;
        QByteArray header, argument;
        Split(command, &header, &argument);
        if (m_bMuted) return QByteArray();
        if (header == m_muteOn && --m_muteOccurrence == 0) {
            m_bMuted = true;
            return QByteArray();
        }
        const bool rigol = m_vendor == Rigol;
        if (header == "*IDN?") {
            if (!m_idn.isEmpty()) return m_idn + '\n';
            return rigol ? "RIGOL TECHNOLOGIES,DS1104Z,DS1ZA000000001,00.04.04.SP4\n"
                         : "KEYSIGHT TECHNOLOGIES,DSO-X 1204G,CN00000001,02.10.2019111333\n";
        }
        if (header == ":CHAN1:DISP?" || header == ":CHAN2:DISP?")
            return m_displayed[header.at(5) - '1'] ? "1\n" : "0\n";
        if (header == ":TRIG:STAT?" && rigol) return m_running ? m_runningStatus + '\n' : "STOP\n";
        if (header == ":RST?" && !rigol)
            return m_running ? "RUN\n" : (m_bSingle ? "SING\n" : "STOP\n");
        if (header == ":STOP") m_running = false;
        if (header == ":RUN") m_running = true;
        if (header == ":WAV:SOUR") m_source = argument == "CHANNEL2" || argument == "CHAN2" ? 2 : 1;
        if (header == ":WAV:MODE") m_raw = argument.startsWith("RAW");
        if (header == ":WAV:POIN:MODE") m_raw = argument.startsWith("RAW");
        if (header == ":WAV:FORM") m_byte = argument.startsWith("BYTE");
        if (header == ":WAV:UNS") m_unsigned = argument == "ON" || argument == "1";
        if (header == ":WAV:POIN") m_asked = argument.toLongLong();
        if (header == ":WAV:STAR") m_start = argument.toLongLong();
        if (header == ":WAV:STOP") m_stop = argument.toLongLong();
        if (header == ":WAV:PRE?") return Preamble();
        if (header == ":WAV:DATA?") return Data();
        return QByteArray();
    }

    // Points the next transfer covers.
    long long Points() const {
        if (m_vendor == Rigol) return m_raw ? m_memory : kScreenPoints;
        return std::min(m_asked, m_raw ? m_memory : kScreenPoints);
    }

    QByteArray Preamble() const {
        if (!m_preamble.isEmpty()) return m_preamble + '\n';
        if (m_vendor == Rigol)
            return "0," + QByteArray(m_raw ? "2" : "0") + ',' + QByteArray::number(Points()) +
                   ",1," + Number(1e-6) + ',' + Number(-6e-3) + ",0," + Number(4e-2) + ",0,127\n";
        return "+0,+0,+" + QByteArray::number(Points()) +
               ",+1,+2.00000000E-06,-5.00000000E-03,+0,+1.00000000E-02,-1.00000000E-01,+128\n";
    }

    QByteArray Data() {
        if (m_running) m_bReadWhileRunning = true;
        QByteArray data;
        if (m_vendor == Rigol) {
            const long long first = m_raw ? std::max(1LL, m_start) : 1;
            const long long last = m_raw ? std::min(m_stop, m_memory) : kScreenPoints;
            // More than the per-read limit in BYTE: the DS1000Z answers an empty block.
            if (last - first + 1 <= kRigolReadLimit)
                for (long long i = first - 1; i < last; ++i)
                    data += char(Level(m_source, i));
        } else {
            // Decimated evenly from the memory to the points given.
            const long long points = Points();
            for (long long i = 0; i < points; ++i)
                data += char(Level(m_source, i * m_memory / points));
        }
        char digits[16];
        std::snprintf(digits, sizeof digits, m_vendor == Rigol ? "#9%09lld" : "#8%08lld",
                      static_cast<long long>(data.size()));
        if (m_shortBy > 0) data.chop(std::min<qsizetype>(m_shortBy, data.size()));
        return m_beforeBlock + digits + data + '\n';
    }

    static constexpr long long kScreenPoints = 1200;
    static constexpr long long kRigolReadLimit = 250000;

    Vendor m_vendor;
    QByteArray m_pending;
    int m_source = 1;
    bool m_raw = false;
    bool m_byte = false;
    bool m_unsigned = false;
    long long m_asked = 1000;
    long long m_start = 1;
    long long m_stop = 1200;
};
