// The dialogs' number fields, typed into as a user would: a French keyboard's
// decimal comma is read as the point.

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "common/ui/numberfield.h"

class TestNumberField : public QObject {
    Q_OBJECT
  private slots:
    void typedNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("value");
        QTest::newRow("comma") << "0,6"
                               << "0,6" << 0.6f;
        QTest::newRow("comma and exponent") << "2,5e-3"
                                            << "2,5e-3" << 2.5e-3f;
        QTest::newRow("point") << "-1.25"
                               << "-1.25" << -1.25f;
        QTest::newRow("a second separator is refused") << "1,2.3"
                                                       << "1,23" << 1.23f;
        QTest::newRow("letters are refused, the value stays") << "abc"
                                                              << "" << 7.0f;
    }
    void typedNumbers() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(float, value);
        QWidget parent;
        QLineEdit* edit = NewRealEdit(&parent, "x");
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(ReadRealField(edit, 7.0f), value);
    }

    // What the program shows always takes the point, and reads back unchanged.
    void shownNumbersUseThePoint() {
        QWidget parent;
        QLineEdit* edit = NewRealEdit(&parent, "x");
        ShowRealField(edit, 0.1234567f);
        QCOMPARE(edit->text(), QStringLiteral("0.123457"));
        QCOMPARE(ReadRealField(edit, 0.1234567f), 0.1234567f);
    }
};

QTEST_MAIN(TestNumberField)
#include "tst_numberfield.moc"
