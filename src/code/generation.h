#pragma once

#include <QString>
#include <cstdint>

// The code as the generation dialog edits it: the leading digit, the six
// digits of the left half and the five data digits of the right half.
struct TypedCode {
    QString strFirst; // character 1
    QString strLeft;  // characters 2 to 7
    QString strRight; // characters 8 to 12
};

// Splits a stored code into the three fields. A field stops at its first
// character that is not a digit (a reader may have stored one), so it comes out
// short and its part of the code stays as it is unless retyped.
TypedCode SplitCode(const QString& code);

// The code the typed fields make of the current one: each complete field
// replaces its part, a shorter field leaves its part unchanged, and the 13th
// character is the check digit of the twelve before it, so the result is
// always a consistent code of 13 characters: a shorter code is first padded
// with zeros, a longer one cut.
QString MergeTypedCode(const TypedCode& typed, const QString& code);

// Check digit of the code MergeTypedCode gives: what the dialog shows while
// the user types.
std::int16_t TypedCheckDigit(const TypedCode& typed, const QString& code);
