#include "sim/scpiparser.h"

#include <cctype>
#include <cmath>

namespace {

constexpr qsizetype kMaxLine = 1 << 20;     // a line longer than this is noise
constexpr std::size_t kErrorQueueSize = 20; // then the last entry says the queue overflowed

// Event status register bits (IEEE 488.2).
constexpr int kOperationComplete = 0x01;
constexpr int kQueryError = 0x04;
constexpr int kDeviceError = 0x08;
constexpr int kExecutionError = 0x10;
constexpr int kCommandError = 0x20;

struct ErrorEntry {
    int code;
    const char* text;
};

// The codes of the standard's table the simulators use.
const ErrorEntry kErrors[] = {
    {-108, "Parameter not allowed"},   {-109, "Missing parameter"},
    {-113, "Undefined header"},        {-114, "Header suffix out of range"},
    {-221, "Settings conflict"},       {-222, "Data out of range"},
    {-224, "Illegal parameter value"}, {-230, "Data corrupt or stale"},
    {-350, "Queue overflow"},
};

// Splits at the separator outside quoted strings.
QList<QByteArray> SplitOutsideQuotes(const QByteArray& text, char separator) {
    QList<QByteArray> parts;
    QByteArray current;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == separator) {
            parts << current;
            current.clear();
            continue;
        }
        current += c;
    }
    parts << current;
    return parts;
}

// The pattern's variants without and with each bracketed node.
QList<QByteArray> ExpandOptional(const QByteArray& pattern) {
    const qsizetype open = pattern.indexOf('[');
    if (open < 0) return {pattern};
    const qsizetype close = pattern.indexOf(']', open);
    if (close < 0) return {pattern};
    const QByteArray before = pattern.left(open);
    const QByteArray node = pattern.mid(open + 1, close - open - 1);
    QList<QByteArray> variants;
    for (const QByteArray& rest : ExpandOptional(pattern.mid(close + 1))) {
        variants << before + rest;
        variants << before + node + rest;
    }
    return variants;
}

} // namespace

CScpiParser::CScpiParser(const QByteArray& identity, const std::vector<ScpiRow>& rows)
    : m_identity(identity) {
    const auto reply = [](const QByteArray& text) { return ScpiReply::Of(text); };
    AddRow("*IDN?", [this, reply](const ScpiCall&) { return reply(m_identity); });
    AddRow("*OPC?", [reply](const ScpiCall&) { return reply("1"); });
    AddRow("*OPC", [this](const ScpiCall&) {
        m_nEventStatus |= kOperationComplete;
        return ScpiReply::Nothing();
    });
    AddRow("*WAI", [](const ScpiCall&) { return ScpiReply::Nothing(); });
    AddRow("*TST?", [reply](const ScpiCall&) { return reply("0"); });
    AddRow("*CLS", [this](const ScpiCall&) {
        m_errors.clear();
        m_nEventStatus = 0;
        return ScpiReply::Nothing();
    });
    AddRow("*ESR?", [this, reply](const ScpiCall&) {
        const int status = m_nEventStatus;
        m_nEventStatus = 0; // reading the register clears it
        return reply(QByteArray::number(status));
    });
    AddRow("*STB?", [this, reply](const ScpiCall&) {
        // Bit 2: the error queue holds something; bit 5: an event is recorded.
        return reply(QByteArray::number((m_errors.empty() ? 0 : 4) | (m_nEventStatus ? 32 : 0)));
    });
    AddRow(":SYSTem:ERRor[:NEXT]?", [this, reply](const ScpiCall&) { return reply(NextError()); });
    for (const ScpiRow& row : rows)
        AddRow(row.pattern, row.handler);
}

void CScpiParser::AddRow(const char* text, const ScpiHandler& handler) {
    for (QByteArray variant : ExpandOptional(QByteArray(text))) {
        Pattern pattern;
        pattern.handler = handler;
        pattern.query = variant.endsWith('?');
        if (pattern.query) variant.chop(1);
        pattern.common = variant.startsWith('*');
        if (variant.startsWith(':')) variant.remove(0, 1);
        for (QByteArray word : variant.split(':')) {
            Keyword keyword;
            keyword.suffix = word.endsWith('#');
            if (keyword.suffix) word.chop(1);
            qsizetype capitals = 0;
            while (capitals < word.size() &&
                   !std::islower(static_cast<unsigned char>(word[capitals])))
                ++capitals;
            keyword.longForm = word.toUpper();
            keyword.shortForm = word.left(capitals).toUpper();
            pattern.keywords.push_back(keyword);
        }
        m_patterns.push_back(pattern);
    }
}

const CScpiParser::Pattern* CScpiParser::Find(const QList<QByteArray>& words, bool common,
                                              bool query, QList<int>* suffixes) const {
    for (const Pattern& pattern : m_patterns) {
        if (pattern.common != common || pattern.query != query ||
            pattern.keywords.size() != std::size_t(words.size()))
            continue;
        QList<int> found;
        bool matches = true;
        for (std::size_t k = 0; k < pattern.keywords.size() && matches; ++k) {
            const Keyword& keyword = pattern.keywords[k];
            QByteArray word = words[qsizetype(k)].toUpper();
            qsizetype digits = word.size();
            while (digits > 0 && std::isdigit(static_cast<unsigned char>(word[digits - 1])))
                --digits;
            // A keyword without a suffix in the table takes none ("*ESR", "STOP").
            const QByteArray name = keyword.suffix && !common ? word.left(digits) : word;
            matches = name == keyword.shortForm || name == keyword.longForm;
            if (matches && keyword.suffix && !common)
                found << (digits < word.size() ? word.mid(digits).toInt() : 1);
        }
        if (!matches) continue;
        *suffixes = found;
        return &pattern;
    }
    return nullptr;
}

QList<ScpiMessage> CScpiParser::Receive(const QByteArray& bytes) {
    QList<ScpiMessage> messages;
    m_input += bytes;
    for (qsizetype end; (end = m_input.indexOf('\n')) >= 0;) {
        const QByteArray line = m_input.left(end);
        m_input.remove(0, end + 1);
        const ScpiMessage message = Execute(line);
        if (!message.bytes.isEmpty()) messages << message;
    }
    if (m_input.size() > kMaxLine) m_input.clear();
    return messages;
}

ScpiMessage CScpiParser::Execute(const QByteArray& line) {
    ScpiMessage message;
    QList<QByteArray> replies;
    bool lastIsBlock = false;
    QList<QByteArray> path; // the previous command's nodes, for a relative header
    for (const QByteArray& part : SplitOutsideQuotes(line, ';')) {
        const QByteArray command = part.trimmed();
        if (command.isEmpty()) continue;
        qsizetype space = 0;
        while (space < command.size() && !std::isspace(static_cast<unsigned char>(command[space])))
            ++space;
        QByteArray header = command.left(space);
        const QByteArray argumentText = command.mid(space).trimmed();
        const bool query = header.endsWith('?');
        if (query) header.chop(1);
        const bool common = header.startsWith('*');
        QList<QByteArray> words;
        if (common) {
            words << header;
        } else if (header.startsWith(':')) {
            words = header.mid(1).split(':');
        } else {
            words = path + header.split(':');
        }
        if (!common) path = words.mid(0, words.size() - 1);

        ScpiCall call;
        if (!argumentText.isEmpty())
            for (const QByteArray& argument : SplitOutsideQuotes(argumentText, ','))
                call.arguments << argument.trimmed();
        const Pattern* pattern = Find(words, common, query, &call.suffixes);
        if (!pattern) {
            QueueError(-113);
            continue;
        }
        const ScpiReply reply = pattern->handler(call);
        if (reply.error) QueueError(reply.error);
        if (reply.kind == ScpiReply::None) continue;
        replies << reply.bytes;
        lastIsBlock = reply.kind == ScpiReply::Block;
        message.hasBlock = message.hasBlock || lastIsBlock;
    }
    if (replies.isEmpty()) return message;
    message.bytes = replies.join(';');
    // A line ending in a block may go without its line end.
    if (!lastIsBlock || m_bBlockLineEnd) message.bytes += '\n';
    return message;
}

void CScpiParser::QueueError(int code) {
    if (code <= -100 && code > -200)
        m_nEventStatus |= kCommandError;
    else if (code <= -200 && code > -300)
        m_nEventStatus |= kExecutionError;
    else if (code <= -300 && code > -400)
        m_nEventStatus |= kDeviceError;
    else if (code <= -400 && code > -500)
        m_nEventStatus |= kQueryError;
    if (m_errors.size() >= kErrorQueueSize) {
        m_errors.back() = -350;
        return;
    }
    m_errors.push_back(code);
}

QByteArray CScpiParser::NextError() {
    if (m_errors.empty()) return "0,\"No error\"";
    const int code = m_errors.front();
    m_errors.pop_front();
    return QByteArray::number(code) + ",\"" + ErrorText(code) + '"';
}

QByteArray CScpiParser::ErrorText(int code) {
    for (const ErrorEntry& entry : kErrors)
        if (entry.code == code) return entry.text;
    return "Error";
}

QByteArray DefiniteBlock(const QByteArray& bytes, int digits) {
    QByteArray length = QByteArray::number(bytes.size());
    if (length.size() < digits) length = QByteArray(digits - length.size(), '0') + length;
    return '#' + QByteArray::number(length.size()) + length + bytes;
}

bool ScpiBool(const QByteArray& text, bool* value) {
    const QByteArray upper = text.trimmed().toUpper();
    if (upper == "ON" || upper == "1")
        *value = true;
    else if (upper == "OFF" || upper == "0")
        *value = false;
    else
        return false;
    return true;
}

bool ScpiNumber(const QByteArray& text, double* value) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok); // C locale, whatever the user's
    if (!ok || !std::isfinite(number)) return false;
    *value = number;
    return true;
}

bool ScpiInteger(const QByteArray& text, long long* value) {
    double number = 0;
    if (!ScpiNumber(text, &number) || std::fabs(number) > 1e15) return false;
    *value = std::llround(number);
    return true;
}
