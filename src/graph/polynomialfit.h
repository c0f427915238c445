#pragma once

// Least-squares polynomial y = a0 + a1 x + ... + ad x^d through count (x, y)
// pairs (points[2 i], points[2 i + 1]), degree d from 1 to kMaxFitDegree.
// out[0..7] receives a0..a7, zero above d. Returns false, with out zeroed,
// when the points cannot determine the polynomial: fewer than two points,
// fewer distinct x than coefficients (for a line, every x the same), x so
// close together that the fit is lost in rounding, or a value that is not a
// finite number. A success never carries a non-finite coefficient.
//
// The fit runs on x centred and scaled to [-1, 1] with a column-pivoted
// Householder QR, so that a stretch of a few microseconds, or one far from
// x = 0, keeps its precision; the coefficients are then turned back into
// powers of the raw x.
constexpr int kMaxFitDegree = 7;
bool FitPolynomial(const double* points, int count, int degree, double out[8]);
