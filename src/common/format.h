#pragma once

#include <QString>
#include <initializer_list>

// One argument of Sprintf, whatever its C++ type. Numbers convert to what the
// conversion asks for, so a mismatched argument never reads garbage.
class FormatArg {
  public:
    FormatArg(int value) : m_kind(Integer), m_integer(value) {}
    FormatArg(short value) : m_kind(Integer), m_integer(value) {}
    FormatArg(long value) : m_kind(Integer), m_integer(value) {}
    FormatArg(long long value) : m_kind(Integer), m_integer(value) {}
    FormatArg(unsigned value) : m_kind(Integer), m_integer(value) {}
    FormatArg(unsigned long value) : m_kind(Integer), m_integer(static_cast<long long>(value)) {}
    FormatArg(float value) : m_kind(Real), m_real(value) {}
    FormatArg(double value) : m_kind(Real), m_real(value) {}
    FormatArg(char value) : m_kind(Integer), m_integer(static_cast<unsigned char>(value)) {}
    FormatArg(const char* value) : m_kind(Text), m_text(QString::fromUtf8(value)) {}
    FormatArg(const QString& value) : m_kind(Text), m_text(value) {}

    long long toInteger() const;
    double toReal() const;
    QString toText() const;

  private:
    enum Kind { Integer, Real, Text };
    Kind m_kind;
    long long m_integer = 0;
    double m_real = 0;
    QString m_text;
};

// printf-style formatting with "." as the decimal separator and exponents of
// at least three digits ("%1.8e" of 0.001 gives "1.00000000e-003"), the form
// every number the program shows or writes takes. Supports the flags "-+ #0",
// width, precision and the conversions d i u x X o c s f F e E g G and %%.
QString FormatPrintf(const char* format, std::initializer_list<FormatArg> args);

template <class... Args> QString Sprintf(const char* format, const Args&... args) {
    return FormatPrintf(format, {FormatArg(args)...});
}

// Called once Qt has applied the user's locale: the C library's own number
// reading and writing ("%f", strtod) go back to "." whatever the regional
// settings, while the dates and texts keep the user's language.
void KeepCNumericLocale();
