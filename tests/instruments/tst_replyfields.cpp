// The reply-text helpers of the oscilloscopes: fields split at ';' or a line
// feed, numbers read from tokens that carry units.

#include <QTest>

#include "common/novalue.h"
#include "instruments/serial/replyfields.h"

class TestReplyFields : public QObject {
    Q_OBJECT

  private slots:
    void fieldsFollowOneAnother() {
        const QString reply = QStringLiteral("5.000ms\n500mV\n");
        std::int16_t pos = 0;
        QCOMPARE(NextField(reply, QString(), &pos), QStringLiteral("5.000ms"));
        QCOMPARE(pos, std::int16_t(8));
        QCOMPARE(NextField(reply, QString(), &pos), QStringLiteral("500mV"));
        QCOMPARE(pos, std::int16_t(14));
        // Past the end: empty fields, the position stays at the end.
        QCOMPARE(NextField(reply, QString(), &pos), QString());
        QCOMPARE(pos, std::int16_t(14));
    }

    void separatorsKeysAndLimits_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("next");
        QTest::newRow("semicolon") << "1.2V;3.4V"
                                   << "" << 0 << "1.2V" << 5;
        QTest::newRow("no separator") << "chan off"
                                      << "" << 0 << "chan off" << 8;
        QTest::newRow("empty field") << ";x"
                                     << "" << 0 << "" << 1;
        QTest::newRow("from the middle") << "a;bc;d"
                                         << "" << 2 << "bc" << 5;
        QTest::newRow("key found") << "XINCR 4.0E-6;PT_OFF 1250"
                                   << "PT_OFF " << 0 << "1250" << 24;
        QTest::newRow("key missing") << "XINCR 4.0E-6"
                                     << "YMULT " << 3 << "" << 3;
        QTest::newRow("position past the end") << "abc"
                                               << "" << 40 << "" << 3;
        QTest::newRow("negative position") << "abc"
                                           << "" << -5 << "abc" << 3;
        QTest::newRow("cut at 100") << QString(130, QLatin1Char('7')) + ";z"
                                    << "" << 0 << QString(100, QLatin1Char('7')) << 131;
    }
    void separatorsKeysAndLimits() {
        QFETCH(QString, reply);
        QFETCH(QString, key);
        QFETCH(int, from);
        QFETCH(QString, field);
        QFETCH(int, next);
        std::int16_t pos = std::int16_t(from);
        QCOMPARE(NextField(reply, key, &pos), field);
        QCOMPARE(int(pos), next);
    }

    void numbers_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<float>("value");
        QTest::newRow("milliseconds") << "5.000ms" << 5.0f;
        QTest::newRow("negative millivolts") << "-1.2mV" << -1.2f;
        QTest::newRow("exponent dropped") << "2.0E-3" << 2.0f;
        QTest::newRow("chan off") << "chan off" << kNoValue;
        QTest::newRow("empty") << "" << kNoValue;
        QTest::newRow("sign alone") << "-V" << kNoValue;
        QTest::newRow("point alone") << "." << kNoValue;
        QTest::newRow("leading point") << ".5V" << 0.5f;
        QTest::newRow("trailing point") << "5.V" << 5.0f;
        QTest::newRow("plus") << "+2.5" << 2.5f;
        QTest::newRow("stops at a second point") << "1.2.3" << 1.2f;
        QTest::newRow("stops at a sign") << "12-3" << 12.0f;
        QTest::newRow("spaces between digits") << "1 2" << 12.0f;
        QTest::newRow("only 49 characters") << QString(60, QLatin1Char('1')) << kNoValue;
        QTest::newRow("49 characters kept")
            << QStringLiteral("0.") + QString(60, QLatin1Char('5')) << 0.5555555f;
    }
    void numbers() {
        QFETCH(QString, token);
        QFETCH(float, value);
        const float parsed = ParseNumber(token);
        if (IsNoValue(value))
            QVERIFY2(IsNoValue(parsed), qPrintable(QString::number(parsed)));
        else
            QCOMPARE(parsed, value);
    }
};

QTEST_APPLESS_MAIN(TestReplyFields)
#include "tst_replyfields.moc"
