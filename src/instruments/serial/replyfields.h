#pragma once

#include <QString>
#include <cstdint>

// Helpers for the text replies of the oscilloscopes.

// The field of `reply` that starts at *pos (or right after `key`, searched
// from *pos, when the key is not empty) and ends at a ';', a line feed or the
// end of the reply. At most 100 characters are kept. *pos moves past the
// separator; a key that is not found gives an empty field and leaves *pos.
QString NextField(const QString& reply, const QString& key, std::int16_t* pos);

// The number in a token once everything but digits, '.', '+' and '-' is
// dropped ("5.000ms" gives 5, "2.0E-3" gives 2: units and exponents are the
// caller's); 1e10 (no value) when no number can be read.
float ParseNumber(const QString& token);
