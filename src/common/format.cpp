#include "common/format.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

long long FormatArg::toInteger() const {
    switch (m_kind) {
    case Integer:
        return m_integer;
    case Real:
        return static_cast<long long>(m_real);
    case Text:
        return m_text.toLongLong();
    }
    return 0;
}

double FormatArg::toReal() const {
    switch (m_kind) {
    case Integer:
        return static_cast<double>(m_integer);
    case Real:
        return m_real;
    case Text:
        return m_text.toDouble();
    }
    return 0;
}

QString FormatArg::toText() const {
    switch (m_kind) {
    case Integer:
        return QString::number(m_integer);
    case Real:
        return QString::number(m_real);
    case Text:
        return m_text;
    }
    return QString();
}

namespace {

// Pads a two-digit exponent to three digits: "1.5e+01" becomes "1.5e+001".
std::string WidenExponent(const std::string& number) {
    std::size_t e = number.find_first_of("eE");
    if (e == std::string::npos || e + 1 >= number.size()) return number;
    std::size_t digits = e + 1;
    if (number[digits] == '+' || number[digits] == '-') ++digits;
    std::size_t end = digits;
    while (end < number.size() && number[end] >= '0' && number[end] <= '9')
        ++end;
    std::size_t count = end - digits;
    if (count >= 3) return number;
    std::string widened =
        number.substr(0, digits) + std::string(3 - count, '0') + number.substr(digits);
    // Keep the requested field width: eat leading padding where there is some.
    std::size_t extra = widened.size() - number.size();
    while (extra > 0 && !widened.empty() && widened[0] == ' ') {
        widened.erase(0, 1);
        --extra;
    }
    return widened;
}

// Makes the C library format numbers as under the C locale on this thread
// while it lives: Qt applies the user's locale at start, and a French one
// would print decimal commas.
class CNumbersInC {
  public:
    CNumbersInC() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
        if (c) m_previous = uselocale(c);
    }
    ~CNumbersInC() {
        if (m_previous) uselocale(m_previous);
    }
    CNumbersInC(const CNumbersInC&) = delete;
    CNumbersInC& operator=(const CNumbersInC&) = delete;

  private:
    locale_t m_previous = locale_t(0);
};

QString PadText(const QString& text, bool leftAlign, int width) {
    if (text.size() >= width) return text;
    QString padding(width - text.size(), QLatin1Char(' '));
    return leftAlign ? text + padding : padding + text;
}

} // namespace

QString FormatPrintf(const char* format, std::initializer_list<FormatArg> args) {
    const CNumbersInC numbersInC;
    QString out;
    const FormatArg* arg = args.begin();
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            const char* start = p;
            while (*p && *p != '%')
                ++p;
            out += QString::fromUtf8(start, static_cast<int>(p - start));
            continue;
        }
        ++p;
        if (*p == '%') {
            out += QLatin1Char('%');
            ++p;
            continue;
        }
        std::string directive = "%";
        bool leftAlign = false;
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') {
            if (*p == '-') leftAlign = true;
            directive += *p++;
        }
        int width = 0;
        while (*p >= '0' && *p <= '9') {
            width = width * 10 + (*p - '0');
            directive += *p++;
        }
        int precision = -1;
        if (*p == '.') {
            directive += *p++;
            precision = 0;
            while (*p >= '0' && *p <= '9') {
                precision = precision * 10 + (*p - '0');
                directive += *p++;
            }
        }
        while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'q' || *p == 'j' || *p == 'z')
            ++p; // length modifiers: the argument carries its own type
        const char conversion = *p;
        if (!conversion) break;
        ++p;
        if (arg == args.end()) continue; // a missing argument prints nothing
        const FormatArg& value = *arg++;

        char buffer[512];
        switch (conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            directive += "ll";
            directive += conversion;
            std::snprintf(buffer, sizeof buffer, directive.c_str(), value.toInteger());
            out += QString::fromLatin1(buffer);
            break;
        case 'c':
            out += PadText(QString(QChar(static_cast<char16_t>(value.toInteger() & 0xFF))),
                           leftAlign, width);
            break;
        case 's': {
            QString text = value.toText();
            if (precision >= 0) text.truncate(precision);
            out += PadText(text, leftAlign, width);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            directive += conversion;
            std::snprintf(buffer, sizeof buffer, directive.c_str(), value.toReal());
            out += QString::fromStdString(WidenExponent(buffer));
            break;
        default:
            break; // unknown conversion: nothing printed
        }
    }
    return out;
}

void KeepCNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
}
