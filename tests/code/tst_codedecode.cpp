#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "code/code.h"
#include "doc/zbdoc.h"

namespace {

// EAN-13 encoding written out here from the symbology's tables, apart from
// the decoder's own: the modules of each digit in set A; set B is set C read
// backwards and set C is set A inverted.
const char* const kSetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                               "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const kLeftSets[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                   "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

QString SetC(int digit) {
    QString modules = QString::fromLatin1(kSetA[digit]);
    for (QChar& c : modules)
        c = c == QLatin1Char('1') ? QLatin1Char('0') : QLatin1Char('1');
    return modules;
}

QString DigitModules(int digit, char set) {
    if (set == 'A') return QString::fromLatin1(kSetA[digit]);
    QString modules = SetC(digit);
    if (set == 'B') std::reverse(modules.begin(), modules.end());
    return modules;
}

// The 95 modules of a 13-digit code; sets, when given, replace the left
// digits' sets of the leading digit.
QString CodeModules(const QString& code, const char* sets = nullptr) {
    const int leading = code.at(0).digitValue();
    if (!sets) sets = kLeftSets[leading];
    QString modules = QStringLiteral("101");
    for (int k = 1; k <= 6; ++k)
        modules += DigitModules(code.at(k).digitValue(), sets[k - 1]);
    modules += QStringLiteral("01010");
    for (int k = 7; k <= 12; ++k)
        modules += SetC(code.at(k).digitValue());
    return modules + QStringLiteral("101");
}

// Module counts of the runs (bar, space, bar, ...) of a module string.
std::vector<int> Runs(const QString& modules) {
    std::vector<int> runs;
    for (int k = 0; k < modules.size(); ++k) {
        if (k == 0 || modules.at(k) != modules.at(k - 1))
            runs.push_back(1);
        else
            ++runs.back();
    }
    return runs;
}

// Edge times of runs with bar module T and space module E.
std::vector<float> Edges(const std::vector<int>& runs, float T = 1, float E = 1) {
    std::vector<float> edges{0};
    for (size_t i = 0; i < runs.size(); ++i)
        edges.push_back(edges.back() + runs[i] * (i % 2 == 0 ? T : E));
    return edges;
}

// Changes the width of interval i to width, moving every later edge.
void SetInterval(std::vector<float>& edges, int i, float width) {
    const float shift = width - (edges[i + 1] - edges[i]);
    for (size_t k = i + 1; k < edges.size(); ++k)
        edges[k] += shift;
}

struct Decoder {
    Decoder() : doc(nullptr), code(&doc) {
        code.m_fnMessage = [this](const QString& text) { messages << text; };
    }
    CZbDoc doc;
    CCode code;
    QStringList messages;
};

} // namespace

Q_DECLARE_METATYPE(std::vector<float>)

class TestCodeDecode : public QObject {
    Q_OBJECT
  private slots:
    void decode_data() {
        QTest::addColumn<std::vector<float>>("edges");
        QTest::addColumn<float>("T");
        QTest::addColumn<float>("E");
        QTest::addColumn<QString>("before"); // m_strCode before decoding
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("messages");

        const QString code = QStringLiteral("5410673004208");
        const std::vector<float> clean = Edges(Runs(CodeModules(code)));
        auto first = [](const std::vector<float>& edges, int count) {
            return std::vector<float>(edges.begin(), edges.begin() + count);
        };
        QTest::newRow("clean full scan")
            << clean << 1.f << 1.f << QStringLiteral("1111111111111") << 0 << code << QStringList();
        QTest::newRow("bars narrower than spaces")
            << Edges(Runs(CodeModules(code)), 0.75f, 1.25f) << 0.75f << 1.25f << code << 0 << code
            << QStringList();
        QTest::newRow("every leading digit")
            << Edges(Runs(CodeModules(QStringLiteral("9780201379624")))) << 1.f << 1.f << code << 0
            << QStringLiteral("9780201379624") << QStringList();

        // Character 2 drawn in set B: the parity "BBBAAB" is no leading
        // digit's, character 1 keeps the reset '0' and the check fails.
        QTest::newRow("left digit in the wrong set")
            << Edges(Runs(CodeModules(code, "BBBAAB"))) << 1.f << 1.f << code << (4 | 8)
            << QStringLiteral("0410673004208") << QStringList();

        // Character 8 ("0", bar 3 space 2 bar 1) read as bar 2 space 3 bar 1:
        // 1100010, in no set. The character keeps the reset '0'.
        std::vector<float> rightNone = clean;
        SetInterval(rightNone, 32, 2);
        SetInterval(rightNone, 33, 3);
        QTest::newRow("right pattern in no set")
            << rightNone << 1.f << 1.f << code << 16 << code << QStringList();
        std::vector<float> rightOther = clean;
        SetInterval(rightOther, 41, 2); // character 10 "4" (1011100) read 1001110, "5"
        QTest::newRow("right digit misread") << rightOther << 1.f << 1.f << code << 8
                                             << QStringLiteral("5410673005208") << QStringList();

        // Too few edges for a half: the first left digit of "4006381333931"
        // begins with a 3-module space, so the scan is a left half, and no
        // parity is read either.
        const QString left = QStringLiteral("4006381333931");
        const std::vector<float> leftClean = Edges(Runs(CodeModules(left)));
        for (int count : {5, 6, 7})
            QTest::newRow(qPrintable(QStringLiteral("%1 edges, left half").arg(count)))
                << first(leftClean, count) << 1.f << 1.f << code << (1 | 4) << code
                << QStringList{QStringLiteral("Extraction code gauche ...\n5410673XXXXXX")};
        // One digit and no parity.
        QTest::newRow("8 edges, left half")
            << first(leftClean, 8) << 1.f << 1.f << code << 4 << QStringLiteral("5010673004208")
            << QStringList{QStringLiteral("Extraction code gauche ...\n5010673XXXXXX")};
        // Interval 3 missing or one module: a right half, without edges.
        for (int count : {0, 3, 7})
            QTest::newRow(qPrintable(QStringLiteral("%1 edges, right half").arg(count)))
                << first(clean, count) << 1.f << 1.f << code << 1 << code
                << QStringList{QStringLiteral("Extraction code droit ...\nXXXXXXX004208")};

        // Whole codes cut short: the right half stops without bit 1 and the
        // check digit is compared with what the reset left.
        QTest::newRow("49 edges") << first(clean, 49) << 1.f << 1.f << code << 8
                                  << QStringLiteral("5410673004200") << QStringList();
        QTest::newRow("56 edges") << first(clean, 56) << 1.f << 1.f << code << 8
                                  << QStringLiteral("5410673004200") << QStringList();
        QTest::newRow("57 edges, last space unmeasured")
            << first(clean, 57) << 1.f << 1.f << QString() << 0 << code << QStringList();

        QTest::newRow("wrong check digit")
            << Edges(Runs(CodeModules(QStringLiteral("5410673004207")))) << 1.f << 1.f << code << 8
            << QStringLiteral("5410673004207") << QStringList();

        // Halves: the left one up to the middle guard, the right one from
        // the middle guard's first bar (interval 28 of the whole code).
        QTest::newRow("left half")
            << first(leftClean, 32) << 1.f << 1.f << QStringLiteral("1234567890128") << 0
            << QStringLiteral("4006381890128")
            << QStringList{QStringLiteral("Extraction code gauche ...\n4006381XXXXXX")};
        const std::vector<float> right(clean.begin() + 28, clean.end());
        QTest::newRow("right half")
            << right << 1.f << 1.f << QStringLiteral("1234567890128") << 8
            << QStringLiteral("1234567004208")
            << QStringList{QStringLiteral("Extraction code droit ...\nXXXXXXX890128")};
        QTest::newRow("right half of a whole code")
            << right << 1.f << 1.f << QStringLiteral("5410673890128") << 0 << code
            << QStringList{QStringLiteral("Extraction code droit ...\nXXXXXXX890128")};

        // A reader may leave a short code; it is padded before any write.
        QTest::newRow("short code, left half")
            << first(leftClean, 32) << 1.f << 1.f << QStringLiteral("12") << 0
            << QStringLiteral("4006381000000")
            << QStringList{QStringLiteral("Extraction code gauche ...\n4006381XXXXXX")};
        QTest::newRow("short code, right half")
            << right << 1.f << 1.f << QStringLiteral("1") << 8 << QStringLiteral("1000000004208")
            << QStringList{QStringLiteral("Extraction code droit ...\nXXXXXXX000000")};
    }
    void decode() {
        QFETCH(std::vector<float>, edges);
        QFETCH(float, T);
        QFETCH(float, E);
        QFETCH(QString, before);
        QFETCH(int, flags);
        QFETCH(QString, after);
        QFETCH(QStringList, messages);
        Decoder d;
        d.doc.m_strCode = before;
        QCOMPARE(int(d.code.Decode(edges.data(), static_cast<std::int16_t>(edges.size()), T, E)),
                 flags);
        QCOMPARE(d.doc.m_strCode, after);
        QCOMPARE(d.messages, messages);
    }

    // Module classes of one interval against its reference; a ratio on a
    // threshold takes the upper class, compared in single precision.
    void classify_data() {
        QTest::addColumn<bool>("bar");
        QTest::addColumn<int>("interval");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("reference");
        QTest::addColumn<int>("modules");
        QTest::addColumn<float>("ratio");

        QTest::newRow("bar just under 1.5") << true << 4 << 1.49f << 1.f << 1 << 1.49f;
        QTest::newRow("bar at 1.5") << true << 4 << 1.5f << 1.f << 2 << 1.5f;
        QTest::newRow("bar at 2.5") << true << 4 << 2.5f << 1.f << 3 << 2.5f;
        QTest::newRow("bar at 3.65, left") << true << 28 << 3.65f << 1.f << 4 << 3.65f;
        QTest::newRow("bar just under 3.65") << true << 4 << 3.6499f << 1.f << 3 << 3.6499f;
        QTest::newRow("bar at 3.65, right") << true << 30 << 3.65f << 1.f << 3 << 3.65f;
        QTest::newRow("bar at 9, right") << true << 50 << 9.f << 1.f << 3 << 9.f;
        QTest::newRow("bar at 7.3 over 2") << true << 6 << 7.3f << 2.f << 4 << 3.65f;
        QTest::newRow("negative bar") << true << 4 << -3.f << 1.f << 1 << -3.f;
        QTest::newRow("zero reference") << true << 4 << 3.f << 0.f << 1 << 0.f;
        QTest::newRow("negative zero reference") << true << 4 << 3.f << -0.f << 1 << 0.f;
        QTest::newRow("odd interval is no bar") << true << 5 << 3.f << 1.f << 1 << 3.f;
        QTest::newRow("space at 3.3") << false << 5 << 3.3f << 1.f << 4 << 3.3f;
        QTest::newRow("space just under 3.3") << false << 5 << 3.2999f << 1.f << 3 << 3.2999f;
        QTest::newRow("space at 3.3, right") << false << 33 << 3.3f << 1.f << 4 << 3.3f;
        QTest::newRow("space at 1.5") << false << 7 << 1.5f << 1.f << 2 << 1.5f;
        QTest::newRow("even interval is no space") << false << 6 << 3.f << 1.f << 1 << 3.f;
    }
    void classify() {
        QFETCH(bool, bar);
        QFETCH(int, interval);
        QFETCH(float, width);
        QFETCH(float, reference);
        QFETCH(int, modules);
        QFETCH(float, ratio);
        Decoder d;
        float edges[100] = {};
        edges[interval + 1] = width;
        float got = -1;
        const auto i = static_cast<std::int16_t>(interval);
        const int n = bar ? d.code.ClassifyBar(edges, i, reference, &got)
                          : d.code.ClassifySpace(edges, i, reference, &got);
        QCOMPARE(n, modules);
        QCOMPARE(got, ratio);
    }

    void failedLeftDigitShiftsTheRest() {
        // Every space-bar-space-bar rebuild is a set A or B pattern, so a left
        // digit fails only when a table lacks it: without "1" of set B the
        // digits after it move one place left and the parity is lost.
        Decoder d;
        d.code.m_nPattern[1][1] = 0;
        std::vector<float> edges = Edges(Runs(CodeModules(QStringLiteral("5410673004208"))));
        QCOMPARE(int(d.code.Decode(edges.data(), 60, 1, 1)), 2 | 4 | 8);
        QCOMPARE(d.doc.m_strCode, QStringLiteral("0406730004208"));
    }

    void rightDigitSpaceCap() {
        // Bar 1, space 4, bar 1: 1000010 is set C "3"; the cap of a 4-module
        // space applies only after a wider first bar.
        Decoder d;
        const std::vector<float> edges = Edges({1, 4, 1, 1});
        std::int16_t q = 0;
        QCOMPARE(int(d.code.DecodeRightDigit(edges.data(), &q, 1, 1)), 3);
        QCOMPARE(int(q), 4);
    }

    void references_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<float>("bar");
        QTest::addColumn<float>("space");
        QTest::addColumn<bool>("message");
        // Guard bars 2 wide, guard spaces 3 wide, everything else 1.
        QTest::newRow("32 edges, middle guard") << 32 << 2.f << 3.f << false;
        QTest::newRow("60 edges") << 60 << 2.f << 3.f << false;
        QTest::newRow("31 edges, left guard") << 31 << 4.f << 5.f << true;
        QTest::newRow("4 edges") << 4 << 4.f << 5.f << true;
        QTest::newRow("3 edges, none") << 3 << 0.f << 0.f << true;
        QTest::newRow("no edge") << 0 << 0.f << 0.f << true;
    }
    void references() {
        QFETCH(int, count);
        QFETCH(float, bar);
        QFETCH(float, space);
        QFETCH(bool, message);
        std::vector<int> runs(59, 1);
        runs[0] = runs[2] = 4;
        runs[1] = 5;
        runs[28] = runs[30] = 2;
        runs[29] = 3;
        std::vector<float> edges = Edges(runs);
        // What lies beyond the count must not be read.
        for (size_t k = count; k < edges.size(); ++k)
            edges[k] = std::nanf("");
        Decoder d;
        float refBar = -1, refSpace = -1;
        d.code.MeasureReferences(edges.data(), static_cast<std::int16_t>(count), &refBar,
                                 &refSpace);
        QCOMPARE(refBar, bar);
        QCOMPARE(refSpace, space);
        const QStringList expected{QStringLiteral(
            "Barres du milieu absentes.\nLargeurs références sur barres de gauche...")};
        QCOMPARE(d.messages, message ? expected : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCodeDecode)
#include "tst_codedecode.moc"
