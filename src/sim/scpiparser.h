#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// The command parser of the simulated SCPI instruments, as IEEE 488.2 and the
// vendors' guides describe it: headers in long or short form in any case
// (":WAVeform:PREamble?" or ":wav:pre?"), numeric suffixes (":CHAN2:SCAL?"),
// optional nodes ("[:MAIN]"), several commands on a line separated by ';'
// (a command there without a leading ':' continues the previous one's path),
// the common commands and an error queue that an unknown header feeds.

// One parsed command handed to a handler.
struct ScpiCall {
    QList<int> suffixes;         // the numeric suffix of each '#' keyword, in order
    QList<QByteArray> arguments; // comma-separated, trimmed, as sent
    QByteArray Argument(int index = 0) const { return arguments.value(index); }
    int Suffix(int index = 0) const { return suffixes.value(index, 1); }
};

// What a handler answers.
struct ScpiReply {
    enum Kind { None, Text, Block };
    Kind kind = None;
    QByteArray bytes; // without the line end
    int error = 0;    // an error to queue (a code of the standard's table), 0 for none

    static ScpiReply Nothing() { return {}; }
    static ScpiReply Of(const QByteArray& text) { return {Text, text, 0}; }
    static ScpiReply BlockOf(const QByteArray& block) { return {Block, block, 0}; }
    static ScpiReply Error(int code) { return {None, QByteArray(), code}; }
};

using ScpiHandler = std::function<ScpiReply(const ScpiCall&)>;

// A row of an instrument's table: the header pattern, its long form written
// with the short form in capitals ("WAVeform"), '#' after a keyword for a
// numeric suffix ("CHANnel#"), a bracketed optional node ("[:MAIN]"), and a
// trailing '?' for a query.
struct ScpiRow {
    const char* pattern;
    ScpiHandler handler;
};

// The answer to one line of commands.
struct ScpiMessage {
    QByteArray bytes;      // the replies joined by ';', with the line end
    bool hasBlock = false; // one of them is a binary block
};

class CScpiParser {
  public:
    // identity: the *IDN? reply. The instrument's rows come after the common
    // commands, which it cannot override.
    CScpiParser(const QByteArray& identity, const std::vector<ScpiRow>& rows);

    // Whether a reply ending in a block gets the line end (IEEE 488.2 says
    // yes; the GDS-820C sends none).
    void SetBlockLineEnd(bool lineEnd) { m_bBlockLineEnd = lineEnd; }

    // Bytes from the client; the answers of the lines they complete.
    QList<ScpiMessage> Receive(const QByteArray& bytes);
    // A client gone: its unfinished line is dropped (the queues stay, as on an
    // instrument).
    void Drop() { m_input.clear(); }

    // One line without its line end.
    ScpiMessage Execute(const QByteArray& line);

    // The error queue and the event status register.
    void QueueError(int code);
    QByteArray NextError();
    int EventStatus() const { return m_nEventStatus; }

    // The standard's texts for the codes the simulators queue.
    static QByteArray ErrorText(int code);

  private:
    struct Keyword {
        QByteArray shortForm; // upper case
        QByteArray longForm;  // upper case
        bool suffix = false;
    };
    struct Pattern {
        std::vector<Keyword> keywords;
        bool common = false; // "*IDN?"
        bool query = false;
        ScpiHandler handler;
    };

    void AddRow(const char* pattern, const ScpiHandler& handler);
    const Pattern* Find(const QList<QByteArray>& words, bool common, bool query,
                        QList<int>* suffixes) const;

    QByteArray m_identity;
    std::vector<Pattern> m_patterns;
    QByteArray m_input;
    std::deque<int> m_errors;
    int m_nEventStatus = 0;
    bool m_bBlockLineEnd = true;
};

// An IEEE 488.2 definite-length block: '#', the count of length digits (at
// least `digits`), the length, the bytes.
QByteArray DefiniteBlock(const QByteArray& bytes, int digits = 0);

// Parameter readers: a boolean (ON, OFF, 1, 0), a decimal number, a whole
// number; false when the text is none of these.
bool ScpiBool(const QByteArray& text, bool* value);
bool ScpiNumber(const QByteArray& text, double* value);
bool ScpiInteger(const QByteArray& text, long long* value);
