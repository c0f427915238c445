#include "graph/polynomialfit.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr int kOutputs = 8;
// A diagonal entry of R this much smaller than the first one means the
// columns are dependent to within rounding: the x values are too close
// together for the degree asked. Powers up to 7 of points spread over
// [-1, 1] stay far above it.
constexpr double kRankTolerance = 1e-10;

// True when the x values take at least `needed` distinct values.
bool EnoughDistinctX(const double* points, int count, int needed) {
    double seen[kOutputs];
    int distinct = 0;
    for (int i = 0; i < count && distinct < needed; ++i) {
        const double x = points[2 * i];
        if (std::find(seen, seen + distinct, x) == seen + distinct) seen[distinct++] = x;
    }
    return distinct >= needed;
}

// Least squares of a (rows x columns, column-major, overwritten) against b
// (overwritten) by Householder QR with column pivoting. Writes the solution
// into solution[0..columns-1]; false when a is rank deficient.
bool SolveLeastSquares(std::vector<double>& a, std::vector<double>& b, int rows, int columns,
                       double* solution) {
    int order[kOutputs];
    for (int j = 0; j < columns; ++j)
        order[j] = j;
    auto column = [&](int j) { return a.data() + std::size_t(j) * rows; };
    double firstDiagonal = 0;
    for (int k = 0; k < columns; ++k) {
        // The remaining column with the largest norm below row k goes next.
        int best = k;
        double bestNorm = -1;
        for (int j = k; j < columns; ++j) {
            const double* c = column(j);
            double sum = 0;
            for (int i = k; i < rows; ++i)
                sum += c[i] * c[i];
            if (sum > bestNorm) {
                bestNorm = sum;
                best = j;
            }
        }
        if (best != k) {
            std::swap_ranges(column(k), column(k) + rows, column(best));
            std::swap(order[k], order[best]);
        }
        double* v = column(k);
        const double norm = std::sqrt(bestNorm);
        if (!(norm > 0)) return false;
        const double diagonal = v[k] >= 0 ? -norm : norm;
        if (k == 0) firstDiagonal = std::fabs(diagonal);
        if (std::fabs(diagonal) <= kRankTolerance * firstDiagonal) return false;
        // Reflector v = x - diagonal e_k, applied as I - 2 v v^T / (v^T v).
        // v^T v = 2 norm (norm + |v[k]|), without cancellation.
        const double head = v[k] - diagonal;
        const double vv = -2 * diagonal * head;
        v[k] = head;
        auto reflect = [&](double* target) {
            double dot = 0;
            for (int i = k; i < rows; ++i)
                dot += v[i] * target[i];
            const double factor = 2 * dot / vv;
            for (int i = k; i < rows; ++i)
                target[i] -= factor * v[i];
        };
        for (int j = k + 1; j < columns; ++j)
            reflect(column(j));
        reflect(b.data());
        v[k] = diagonal; // R's diagonal; the reflector is no longer needed
    }
    double z[kOutputs];
    for (int k = columns - 1; k >= 0; --k) {
        double sum = b[k];
        for (int j = k + 1; j < columns; ++j)
            sum -= column(j)[k] * z[j];
        z[k] = sum / column(k)[k];
    }
    for (int k = 0; k < columns; ++k)
        solution[order[k]] = z[k];
    return true;
}

} // namespace

bool FitPolynomial(const double* points, int count, int degree, double out[8]) {
    std::fill(out, out + kOutputs, 0.0);
    if (!points || count < 2 || degree < 1 || degree > kMaxFitDegree) return false;
    const int unknowns = degree + 1;

    double lowest = points[0], highest = points[0];
    for (int i = 0; i < count; ++i) {
        const double x = points[2 * i], y = points[2 * i + 1];
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
    }
    if (!EnoughDistinctX(points, count, unknowns)) return false;

    // t = (x - centre) / half runs over [-1, 1] (halves first: no overflow).
    const double half = highest / 2 - lowest / 2;
    const double centre = lowest + half;
    if (!(half > 0) || !std::isfinite(1 / half)) return false;

    std::vector<double> a(std::size_t(count) * unknowns);
    std::vector<double> b(count);
    for (int i = 0; i < count; ++i) {
        const double t = (points[2 * i] - centre) / half;
        double power = 1;
        for (int j = 0; j < unknowns; ++j) {
            a[std::size_t(j) * count + i] = power;
            power *= t;
        }
        b[i] = points[2 * i + 1];
    }
    double scaled[kOutputs];
    if (!SolveLeastSquares(a, b, count, unknowns, scaled)) return false;

    // Back to powers of x: Horner in t = x / half - centre / half, on the
    // coefficient arrays, in extended precision so that a stretch far from
    // x = 0 loses no more than the raw powers must.
    long double raw[kOutputs] = {};
    const long double inverse = 1.0L / half, shift = centre / static_cast<long double>(half);
    for (int j = degree; j >= 0; --j) {
        for (int i = degree; i >= 1; --i)
            raw[i] = raw[i - 1] * inverse - raw[i] * shift;
        raw[0] = -raw[0] * shift + scaled[j];
    }
    for (int i = 0; i <= degree; ++i) {
        out[i] = static_cast<double>(raw[i]);
        if (!std::isfinite(out[i])) {
            std::fill(out, out + kOutputs, 0.0);
            return false;
        }
    }
    return true;
}
