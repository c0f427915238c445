// The least-squares fit against the exact least-squares polynomial, computed
// here in quadruple precision by a different road (normal equations solved
// with partial pivoting), on stretches the program holds: seconds near 0,
// microseconds, and short stretches far from x = 0.
#include <QTest>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "graph/polynomialfit.h"
#include "graph/regressionset.h"

namespace {

using Quad = __float128;

Quad Abs(Quad v) {
    return v < 0 ? -v : v;
}

// The exact least-squares polynomial of the points, as raw-x coefficients
// (quadruple precision). Solved on t = x - centre, which quadruple precision
// takes exactly, then shifted back.
std::vector<Quad> ExactFit(const std::vector<double>& xy, int degree) {
    const int n = int(xy.size() / 2), unknowns = degree + 1;
    Quad centre = 0;
    for (int i = 0; i < n; ++i)
        centre += xy[2 * i];
    centre /= n;
    std::vector<std::vector<Quad>> m(unknowns, std::vector<Quad>(unknowns + 1, 0));
    for (int i = 0; i < n; ++i) {
        const Quad t = Quad(xy[2 * i]) - centre;
        std::vector<Quad> powers(2 * unknowns, 1);
        for (int k = 1; k < 2 * unknowns; ++k)
            powers[k] = powers[k - 1] * t;
        for (int r = 0; r < unknowns; ++r) {
            for (int c = 0; c < unknowns; ++c)
                m[r][c] += powers[r + c];
            m[r][unknowns] += powers[r] * Quad(xy[2 * i + 1]);
        }
    }
    for (int c = 0; c < unknowns; ++c) {
        int pivot = c;
        for (int r = c + 1; r < unknowns; ++r)
            if (Abs(m[r][c]) > Abs(m[pivot][c])) pivot = r;
        std::swap(m[c], m[pivot]);
        for (int r = c + 1; r < unknowns; ++r) {
            const Quad f = m[r][c] / m[c][c];
            for (int k = c; k <= unknowns; ++k)
                m[r][k] -= f * m[c][k];
        }
    }
    std::vector<Quad> inT(unknowns);
    for (int r = unknowns - 1; r >= 0; --r) {
        Quad sum = m[r][unknowns];
        for (int k = r + 1; k < unknowns; ++k)
            sum -= m[r][k] * inT[k];
        inT[r] = sum / m[r][r];
    }
    // p(x) = sum inT[j] (x - centre)^j, expanded by Horner on the arrays.
    std::vector<Quad> raw(unknowns, 0);
    for (int j = degree; j >= 0; --j) {
        for (int i = degree; i >= 1; --i)
            raw[i] = raw[i - 1] - raw[i] * centre;
        raw[0] = -raw[0] * centre + inT[j];
    }
    return raw;
}

template <class T> Quad Evaluate(const std::vector<T>& coefficients, double x) {
    Quad y = 0;
    for (int k = int(coefficients.size()) - 1; k >= 0; --k)
        y = y * Quad(x) + Quad(coefficients[k]);
    return y;
}

// Largest distance between two coefficient sets over the sample x, as a
// fraction of the exact curve's range there.
template <class T>
double RelativeDeviation(const std::vector<double>& xy, const std::vector<Quad>& exact,
                         const std::vector<T>& other) {
    Quad lowest = 0, highest = 0, worst = 0;
    for (std::size_t i = 0; i < xy.size() / 2; ++i) {
        const Quad e = Evaluate(exact, xy[2 * i]);
        if (i == 0 || e < lowest) lowest = e;
        if (i == 0 || e > highest) highest = e;
        const Quad d = Abs(Evaluate(other, xy[2 * i]) - e);
        if (d > worst) worst = d;
    }
    return double(worst / (highest - lowest));
}

// A scan-like stretch: rows of the sample table (floats) from x0 at a fixed
// period, on a polynomial of the given degree in the stretch's own reduced
// variable, with a little deterministic noise.
std::vector<double> Stretch(double x0, double width, int rows, int degree, std::uint32_t seed) {
    std::mt19937 random(seed);
    auto uniform = [&random] { return double(random()) / 4294967296.0 * 2 - 1; };
    std::vector<double> shape(degree + 1);
    for (double& q : shape)
        q = uniform();
    std::vector<double> xy;
    for (int i = 0; i < rows; ++i) {
        const float x = static_cast<float>(x0 + width * i / (rows - 1));
        const double t = (double(x) - x0) / width * 2 - 1;
        double y = 0;
        for (int k = degree; k >= 0; --k)
            y = y * t + shape[k];
        xy.push_back(double(x));
        xy.push_back(double(static_cast<float>(2.5 * y + 0.01 * uniform())));
    }
    return xy;
}

} // namespace

class TestPolynomialFit : public QObject {
    Q_OBJECT
  private slots:
    void threePointLineAndParabola() {
        const double points[] = {0, 1, 1, 3, 2, 5};
        double out[8];
        QVERIFY(CRegressionSet::FitPolynomial(points, 3, 1, out));
        QCOMPARE(out[0], 1.0);
        QCOMPARE(out[1], 2.0);
        for (int k = 2; k < 8; ++k)
            QCOMPARE(out[k], 0.0);
        QVERIFY(CRegressionSet::FitPolynomial(points, 3, 2, out));
        QVERIFY(std::fabs(out[0] - 1) < 1e-12);
        QVERIFY(std::fabs(out[1] - 2) < 1e-12);
        QVERIFY(std::fabs(out[2]) < 1e-12);
        for (int k = 3; k < 8; ++k)
            QCOMPARE(out[k], 0.0);
    }

    void failures_data() {
        QTest::addColumn<QVector<double>>("points");
        QTest::addColumn<int>("degree");
        const double nan = std::nan(""), inf = HUGE_VAL;
        QTest::newRow("no point") << QVector<double>{} << 1;
        QTest::newRow("one point") << QVector<double>{1, 2} << 1;
        QTest::newRow("line, every x the same") << QVector<double>{3, 1, 3, 2, 3, 5} << 1;
        QTest::newRow("parabola through two x") << QVector<double>{0, 1, 0, 2, 1, 3, 1, 4} << 2;
        QTest::newRow("cubic through three x") << QVector<double>{0, 1, 1, 2, 2, 0, 2, 5} << 3;
        QTest::newRow("degree 7 through 7 x")
            << QVector<double>{0, 1, 1, 2, 2, 0, 3, 5, 4, 1, 5, 1, 6, 2, 6, 3} << 7;
        // Eight distinct x, but seven of them one rounding step apart.
        QTest::newRow("x lost in rounding")
            << QVector<double>{0,           1, 1,           2, 1 + 2.2e-16, 0, 1 + 4.4e-16, 1,
                               1 + 6.7e-16, 1, 1 + 8.9e-16, 2, 1 + 1.1e-15, 1, 1 + 1.3e-15, 0}
            << 7;
        QTest::newRow("not a number") << QVector<double>{0, 1, 1, nan, 2, 3} << 1;
        QTest::newRow("infinite x") << QVector<double>{0, 1, inf, 2, 2, 3} << 1;
        QTest::newRow("degree 0") << QVector<double>{0, 1, 1, 2, 2, 3} << 0;
        QTest::newRow("degree 8") << QVector<double>{0, 1, 1, 2, 2, 3} << 8;
        // Over a stretch of 7e-50 the raw-x coefficients of degree 7 overflow.
        QTest::newRow("overflowing powers")
            << QVector<double>{0,     1, 1e-50, 2, 2e-50, 0, 3e-50, 5,
                               4e-50, 1, 5e-50, 1, 6e-50, 2, 7e-50, 3}
            << 7;
    }
    void failures() {
        QFETCH(QVector<double>, points);
        QFETCH(int, degree);
        double out[8] = {7, 7, 7, 7, 7, 7, 7, 7};
        QVERIFY(!FitPolynomial(points.constData(), int(points.size() / 2), degree, out));
        for (double value : out)
            QCOMPARE(value, 0.0);
    }

    // A stretch where the exact coefficients, rounded to doubles, still give
    // the curve to 1e-9 of its range: ours must give it to 1e-6. Degrees up
    // to `faithful` must meet that condition (so the check is never vacuous);
    // higher ones are checked wherever they meet it.
    void matchesExactLeastSquares_data() {
        QTest::addColumn<double>("x0");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("faithful");
        QTest::newRow("one second from 0") << 0.0 << 1.0 << 200 << 7;
        QTest::newRow("an edge: 100 us at 5 ms, 5 ms rows") << 5e-3 << 100e-6 << 21 << 3;
        QTest::newRow("100 us at 5 ms, 5000 rows") << 5e-3 << 100e-6 << 5000 << 3;
        QTest::newRow("5 us at 10 us") << 10e-6 << 5e-6 << 501 << 7;
        QTest::newRow("microseconds from 0") << 0.0 << 20e-6 << 2000 << 7;
        QTest::newRow("10 ms at 1 s") << 1.0 << 10e-3 << 300 << 3;
        QTest::newRow("negative times, -2 ms to -1 ms") << -2e-3 << 1e-3 << 1000 << 7;
    }
    void matchesExactLeastSquares() {
        QFETCH(double, x0);
        QFETCH(double, width);
        QFETCH(int, rows);
        QFETCH(int, faithful);
        for (int degree = 1; degree <= kMaxFitDegree; ++degree) {
            const std::vector<double> xy = Stretch(x0, width, rows, degree, 1234u + degree);
            const std::vector<Quad> exact = ExactFit(xy, degree);
            std::vector<double> rounded(exact.begin(), exact.end());
            const double roundingLoss = RelativeDeviation(xy, exact, rounded);
            const QByteArray what = "degree " + QByteArray::number(degree) + ", rounded exact " +
                                    QByteArray::number(roundingLoss);
            if (degree <= faithful) QVERIFY2(roundingLoss < 1e-9, what);
            if (roundingLoss >= 1e-9) continue;
            double out[8];
            QVERIFY2(FitPolynomial(xy.data(), rows, degree, out), what);
            for (int k = degree + 1; k < 8; ++k)
                QCOMPARE(out[k], 0.0);
            const std::vector<double> ours(out, out + degree + 1);
            const double loss = RelativeDeviation(xy, exact, ours);
            QVERIFY2(loss < 1e-6, what + ", ours " + QByteArray::number(loss));
        }
    }
};

QTEST_MAIN(TestPolynomialFit)
#include "tst_polynomialfit.moc"
