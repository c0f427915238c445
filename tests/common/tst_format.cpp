#include <QDateTime>
#include <QTest>

#include <cstdio>

#include "common/format.h"
#include "common/frenchdate.h"
#include "frenchlocale.h"

class TestFormat : public QObject {
    Q_OBJECT
  private slots:
    void printfForms_data() {
        QTest::addColumn<QString>("got");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three-digit negative exponent")
            << Sprintf("%1.8e", 0.001) << "1.00000000e-003";
        QTest::newRow("three-digit positive exponent")
            << Sprintf("%1.8e", 2.5) << "2.50000000e+000";
        QTest::newRow("coefficient") << Sprintf("a%d:%1.3e", 0, 1.0) << "a0:1.000e+000";
        QTest::newRow("scale line") << Sprintf("Echx:%7.2e / Echy:%7.2e", 208.33333f, 20.338983f)
                                    << "Echx:2.08e+002 / Echy:2.03e+001";
        QTest::newRow("axis label") << Sprintf("%s*%5.0e", "CH1:t(s)", 0.1) << "CH1:t(s)*1e-001";
        QTest::newRow("width kept") << Sprintf("%12.3e", -1.5) << " -1.500e+000";
        QTest::newRow("readout") << Sprintf("x:%8.3f, y:%8.3f", 1.5f, -2.25)
                                 << "x:   1.500, y:  -2.250";
        QTest::newRow("general") << Sprintf("%g", 1e20) << "1e+020";
        QTest::newRow("text untouched") << Sprintf("%s", "e+12") << "e+12";
        QTest::newRow("accents") << Sprintf("%s/%5s|%-4s|", "Prénom", "é", "ab")
                                 << "Prénom/    é|ab  |";
        QTest::newRow("percent and missing argument") << Sprintf("100%% %d") << "100% ";
        QTest::newRow("caption") << Sprintf("T:%1.2f, E:%1.2f, (%d,%d,%d)", 0.6f, 0.66f, 0, 0, 64)
                                 << "T:0.60, E:0.66, (0,0,64)";
    }
    void printfForms() {
        QFETCH(QString, got);
        QFETCH(QString, expected);
        QCOMPARE(got, expected);
    }

    // A program started on a French desktop runs under fr_FR, whose own
    // printf writes "1,5": the helper keeps the point, the dates stay French.
    void underAFrenchLocale() {
        const CFrenchLocale french;
        QVERIFY2(french.IsActive(), qPrintable(french.Error()));
        char own[16];
        std::snprintf(own, sizeof own, "%.1f", 1.5);
        QCOMPARE(QByteArray(own), QByteArray("1,5"));

        QCOMPARE(Sprintf("%1.8e", -4.99999989e-3f), QStringLiteral("-4.99999989e-003"));
        QCOMPARE(Sprintf("a%d:%1.3e", 1, 1925.0), QStringLiteral("a1:1.925e+003"));
        QCOMPARE(Sprintf("XINCr: %1.1e", 4e-6f), QStringLiteral("XINCr: 4.0e-006"));
        QCOMPARE(Sprintf("x:%8.3f %g %s", 1.5, 0.25, "1,5"), QStringLiteral("x:   1.500 0.25 1,5"));
        QCOMPARE(FrenchDateTime(QDateTime(QDate(2026, 12, 10), QTime(3, 24, 49))),
                 QStringLiteral("jeudi, 10 décembre 2026 - 03:24:49"));
    }

    void frenchDates_data() {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thursday december") << QDateTime(QDate(2026, 12, 10), QTime(3, 24, 49))
                                           << "jeudi, 10 décembre 2026 - 03:24:49";
        QTest::newRow("sunday august")
            << QDateTime(QDate(2027, 8, 1), QTime(23, 5, 0)) << "dimanche, 01 août 2027 - 23:05:00";
        QTest::newRow("monday february")
            << QDateTime(QDate(2027, 2, 15), QTime(0, 0, 9)) << "lundi, 15 février 2027 - 00:00:09";
    }
    void frenchDates() {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        QCOMPARE(FrenchDateTime(when), expected);
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
