#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "common/novalue.h"
#include "decode/ui/extractdlg.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

// CH1 in columns 0-1 and CH2 in 2-3: a ramp in time, values 0..4 V, 200 rows
// of 1 ms. CH2 is CH1 plus 10 V so that erasures tell them apart.
void FillTwoChannels(CZbDoc* doc) {
    doc->m_nChannels = kChannelCh1 | kChannelCh2;
    doc->m_nDisplay = kChannelCh2;
    doc->m_nPoints = 200;
    for (int i = 0; i < 200; ++i) {
        doc->m_fT[i][0] = doc->m_fT[i][2] = 0.001f * i;
        doc->m_fT[i][1] = (i % 5) * 1.0f;
        doc->m_fT[i][3] = doc->m_fT[i][1] + 10.0f;
    }
}

void DeletePending() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestExtractDlg : public QObject {
    Q_OBJECT
  private slots:
    void opensOnTheDisplayedChannel() {
        CZbApp app;
        CZbDoc doc(&app);
        FillTwoChannels(&doc);
        auto* dialog = new CExtractDlg(&doc, &app);
        dialog->show();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Extraction code barre"));
        QVERIFY(!dialog->isModal());
        QCOMPARE(doc.m_bExtractOpen, 1);
        QCOMPARE(dialog->m_nChannel, 1);
        QCOMPARE(Message(dialog),
                 QStringLiteral("Définir la zone du code puis cliquer sur Extraire...     [2][3]\n"
                                "L'extraction par moitié est possible, en incluant les barres "
                                "références..."));
        QVERIFY(FindButton(dialog, QStringLiteral("CH2"))->isChecked());
        // Only channels holding data can be chosen.
        QVERIFY(!ClickButton(dialog, QStringLiteral("REF1")));
        QVERIFY(!ClickButton(dialog, QStringLiteral("MATH")));
        QVERIFY(ClickButton(dialog, QStringLiteral("CH1")));
        QCOMPARE(dialog->m_nChannel, 0);
        QCOMPARE(Message(dialog), QStringLiteral("[0][1]"));
        QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        DeletePending();
    }

    void extractsInsideTheRectangle_data() {
        QTest::addColumn<float>("multX");
        QTest::addColumn<QVector<float>>("rectangle"); // as the view hands it, shown units
        QTest::addColumn<QString>("message");
        QTest::newRow("left, bottom, right, top")
            << 1.0f << QVector<float>{0.05f, 11.0f, 0.1f, 14.0f}
            << "Limites:\nxmi: 0.050, ymi: 11.000\nxma: 0.100, yma: 14.000\n[2][3]";
        QTest::newRow("top-left corner first, times in ms")
            << 1000.0f << QVector<float>{50.0f, 14.0f, 100.0f, 11.0f}
            << "Limites:\nxmi: 50.000, ymi: 11.000\nxma: 100.000, yma: 14.000\n[2][3]";
    }
    void extractsInsideTheRectangle() {
        QFETCH(float, multX);
        QFETCH(QVector<float>, rectangle);
        QFETCH(QString, message);
        CZbApp app;
        CZbDoc doc(&app);
        FillTwoChannels(&doc);
        doc.m_fMultX = multX;
        doc.m_tracker = QRect(10, 10, 50, 40);
        QPointer<CExtractDlg> dialog = new CExtractDlg(&doc, &app);
        dialog->show();
        QSignalSpy redraws(dialog.data(), &CExtractDlg::redrawRequested);

        dialog->SetZone(rectangle[0], rectangle[1], rectangle[2], rectangle[3]);
        QCOMPARE(Message(dialog), message);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Extraire")));

        for (int i = 0; i < 200; ++i) {
            const QByteArray row = QByteArray::number(i);
            // Rows 50 and 100 lie on the time border, values 1 and 4 V on the
            // value border: all erased with the rows outside.
            const bool kept = i > 50 && i < 100 && (i % 5 == 2 || i % 5 == 3);
            QVERIFY2(kept != IsNoValue(doc.m_fT[i][3]), row);
            QVERIFY2(kept != IsNoValue(doc.m_fT[i][2]), row);
            QCOMPARE(doc.m_fT[i][1], (i % 5) * 1.0f); // CH1 untouched
        }
        QCOMPARE(doc.m_tracker, QRect(0, 0, 0, 0));
        QCOMPARE(redraws.count(), 1);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        DeletePending();
        QVERIFY(dialog.isNull());
    }

    void withoutARectangleOnlyMissingRowsGo() {
        CZbApp app;
        CZbDoc doc(&app);
        FillTwoChannels(&doc);
        doc.m_fT[7][3] = kNoValue; // a value with no time partner left
        auto* dialog = new CExtractDlg(&doc, &app);
        dialog->show();
        QVERIFY(ClickButton(dialog, QStringLiteral("&Extraire")));
        for (int i = 0; i < 200; ++i)
            QCOMPARE(IsNoValue(doc.m_fT[i][2]), i == 7);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        DeletePending();
    }

    void closingTellsTheOwner_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Fermer") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void closingTellsTheOwner() {
        QFETCH(int, how);
        CZbApp app;
        CZbDoc doc(&app);
        FillTwoChannels(&doc);
        QPointer<CExtractDlg> dialog = new CExtractDlg(&doc, &app);
        dialog->show();
        QSignalSpy closed(dialog.data(), &CExtractDlg::closed);
        QSignalSpy redraws(dialog.data(), &CExtractDlg::redrawRequested);
        if (how == 0)
            QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        else if (how == 1)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(redraws.count(), 1);
        QCOMPARE(doc.m_bExtractOpen, 0);
        QCOMPARE(app.m_fRefX, 0.0f);
        QCOMPARE(app.m_fRefY, 0.0f);
        DeletePending();
        QVERIFY(dialog.isNull());
    }
};

QTEST_MAIN(TestExtractDlg)
#include "tst_extractdlg.moc"
