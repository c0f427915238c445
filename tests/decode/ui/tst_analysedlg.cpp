#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include "common/novalue.h"
#include "decode/scanmodel.h"
#include "decode/ui/analysedlg.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

const QString kOpening =
    QStringLiteral("Définir une zone puis cliquez sur Générer fronts pour décoder le graphe "
                   "U=f(t)...\n[0][1]");
const QString kConfirmed =
    QStringLiteral("Largeurs T et E confirmées.\nCliquer sur Analyser code...");

// A clean sweep of a code: 40 us modules sampled every 2 us, bars at 4 V.
void WriteCodeScan(CZbDoc* doc, const QString& code) {
    ScanParameters parameters;
    WriteScan(*doc, MakeCodeScan(code, parameters));
}

QLineEdit* Edit(const QWidget* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(QLatin1String(name));
}

// Which of the step buttons and edits are enabled, as a short picture:
// G C A for the buttons, u t e for the edits, a dash when disabled.
QString Enabled(const QWidget* dialog) {
    QString picture;
    picture += FindButton(dialog, QStringLiteral("&Générer fronts"))->isEnabled() ? 'G' : '-';
    picture += FindButton(dialog, QStringLiteral("&Confirmer T&&E"))->isEnabled() ? 'C' : '-';
    picture += FindButton(dialog, QStringLiteral("&Analyser code"))->isEnabled() ? 'A' : '-';
    picture += Edit(dialog, "uRef")->isEnabled() ? 'u' : '-';
    picture += Edit(dialog, "t")->isEnabled() ? 't' : '-';
    picture += Edit(dialog, "e")->isEnabled() ? 'e' : '-';
    return picture;
}

// Message boxes the dialog raises during a click: their texts, each
// answered with OK. Captions must be the program's.
class MessageBoxes {
  public:
    void ExpectOne() {
        WhenModalOpens<QMessageBox>([this](QMessageBox* box) {
            texts << box->text();
            captions << box->windowTitle();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
    }
    QStringList texts;
    QStringList captions;
};

} // namespace

class TestAnalyseDlg : public QObject {
    Q_OBJECT
  private slots:
    void decodesAScanStepByStep_data() {
        QTest::addColumn<float>("multX");
        // The graph shows times with a multiplier that keeps T and E readable
        // (below 0.0001 shown, a width is replaced by 0.00001).
        QTest::newRow("shown in milliseconds") << 1e3f;
        QTest::newRow("shown in microseconds") << 1e6f;
    }
    void decodesAScanStepByStep() {
        QFETCH(float, multX);
        CZbApp app;
        CZbDoc doc(&app);
        WriteCodeScan(&doc, QStringLiteral("5410673004208"));
        doc.m_strCode = QStringLiteral("0000000000000");
        doc.m_fMultX = multX;
        CAnalyseDlg dialog(&doc, &app);
        QSignalSpy redraws(&dialog, &CAnalyseDlg::redrawRequested);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Analyse du code"));
        QStringList messages, pictures;
        float shownT = 0, shownE = 0;
        const int result = RunModal(dialog, [&] {
            messages << Message(&dialog);
            pictures << Enabled(&dialog);
            QCOMPARE(Edit(&dialog, "uRef")->text(), QStringLiteral("2.3"));
            QVERIFY(FindButton(&dialog, QStringLiteral("CH1"))->isChecked());
            QVERIFY(!FindButton(&dialog, QStringLiteral("CH2"))->isEnabled());

            QVERIFY(ClickButton(&dialog, QStringLiteral("&Générer fronts")));
            messages << Message(&dialog);
            pictures << Enabled(&dialog);
            QVERIFY(!FindButton(&dialog, QStringLiteral("CH1"))->isEnabled());
            shownT = Edit(&dialog, "t")->text().toFloat();
            shownE = Edit(&dialog, "e")->text().toFloat();

            QVERIFY(ClickButton(&dialog, QStringLiteral("&Confirmer T&&E")));
            messages << Message(&dialog);
            pictures << Enabled(&dialog);

            QVERIFY(ClickButton(&dialog, QStringLiteral("&Analyser code")));
            messages << Message(&dialog);
            pictures << Enabled(&dialog);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(
            messages,
            QStringList({kOpening,
                         "Nb. de fronts: 60\nConfirmer la largeur du trait simple T et de "
                         "l'espace simple E...",
                         kConfirmed, "Code barre extrait: 5410673004208\nCliquer sur Fermer..."}));
        QCOMPARE(pictures, QStringList({"G--u--", "-C--te", "--A---", "------"}));
        // One module is 40 us; bars are measured two samples (4 us) short and
        // spaces as much long.
        QVERIFY2(qAbs(shownT / multX - 36e-6f) < 2.5e-6f, qPrintable(QString::number(shownT)));
        QVERIFY2(qAbs(shownE / multX - 44e-6f) < 2.5e-6f, qPrintable(QString::number(shownE)));
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
        QCOMPARE(doc.m_strTitle, QStringLiteral("5410673004208.cod"));
        QCOMPARE(doc.m_strFileName, QStringLiteral("SansNom.cod")); // not the window's name
        QCOMPARE(doc.m_nDisplay, std::int16_t(1 | 64));
        QVERIFY(!IsNoValue(doc.m_fT[0][4])); // the FRONTS curve
        QCOMPARE(app.m_fRefX, 0.0f);
        QCOMPARE(app.m_fRefY, 0.0f);
        QCOMPARE(redraws.count(), 3); // edges, code, close
    }

    void uRefIsLimited_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("edges");
        QTest::newRow("0 becomes 0.1") << "0"
                                       << "0.1"
                                       << "Nb. de fronts: 1 (Insuffisant)";
        QTest::newRow("12 becomes 10") << "12"
                                       << "10"
                                       << "Nb. de fronts: 0 (Insuffisant)";
        QTest::newRow("inside the range") << "1.5"
                                          << "1.5"
                                          << "Nb. de fronts: 60";
    }
    void uRefIsLimited() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, edges);
        CZbApp app;
        CZbDoc doc(&app);
        WriteCodeScan(&doc, QStringLiteral("5410673004208"));
        CAnalyseDlg dialog(&doc, &app);
        MessageBoxes boxes;
        QString shownURef, message;
        RunModal(dialog, [&] {
            TypeInto(Edit(&dialog, "uRef"), typed);
            boxes.ExpectOne(); // few edges: the references cannot be measured
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Générer fronts")));
            shownURef = Edit(&dialog, "uRef")->text();
            message = Message(&dialog);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(shownURef, shown);
        QVERIFY2(message.startsWith(edges + "\n"), qPrintable(message));
        const bool few = !edges.endsWith(QLatin1String("60"));
        QCOMPARE(boxes.texts.size(), few ? 1 : 0);
        if (few) QCOMPARE(boxes.captions, QStringList{"Logiciel Lineatix"});
    }

    void widthsConfirmedAsZero() {
        CZbApp app;
        CZbDoc doc(&app);
        WriteCodeScan(&doc, QStringLiteral("5410673004208"));
        CAnalyseDlg dialog(&doc, &app);
        QString shownT, shownE, message;
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Générer fronts")));
            TypeInto(Edit(&dialog, "t"), QStringLiteral("0"));
            TypeInto(Edit(&dialog, "e"), QStringLiteral("0.00009"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Confirmer T&&E")));
            shownT = Edit(&dialog, "t")->text();
            shownE = Edit(&dialog, "e")->text();
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Analyser code")));
            message = Message(&dialog);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(shownT, QStringLiteral("1e-005"));
        QCOMPARE(shownE, QStringLiteral("1e-005"));
        QVERIFY2(message.startsWith(QLatin1String("Erreur(s) d'extraction du code barre:")),
                 qPrintable(message));
        QCOMPARE(doc.m_strTitle, QStringLiteral("Sansnom"));
    }

    void reportsDecodingErrors() {
        CZbApp app;
        CZbDoc doc(&app);
        // Drawn with a check digit that does not fit the twelve digits.
        WriteCodeScan(&doc, QStringLiteral("5410673004207"));
        doc.m_fMultX = 1e6f;
        CAnalyseDlg dialog(&doc, &app);
        QString message;
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Générer fronts")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Confirmer T&&E")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Analyser code")));
            message = Message(&dialog);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(message, QStringLiteral("Erreur(s) d'extraction du code barre:\n- Erreur de "
                                         "parité\nCliquer sur Fermer..."));
        QCOMPARE(doc.m_strTitle, QStringLiteral("Sansnom"));
    }

    void channelRadios() {
        CZbApp app;
        CZbDoc doc(&app);
        WriteCodeScan(&doc, QStringLiteral("5410673004208"));
        doc.m_nChannels = kChannelCh1 | kChannelRef1;
        doc.m_nDisplay = kChannelRef1;
        CAnalyseDlg dialog(&doc, &app);
        QStringList messages;
        RunModal(dialog, [&] {
            messages << Message(&dialog);
            QVERIFY(FindButton(&dialog, QStringLiteral("REF1"))->isChecked());
            QVERIFY(!ClickButton(&dialog, QStringLiteral("CH2")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("CH1")));
            messages << Message(&dialog);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Générer fronts")));
            messages << Message(&dialog).section(QLatin1Char('\n'), 0, 0);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        QCOMPARE(messages, QStringList({"Définir une zone puis cliquez sur Générer fronts pour "
                                        "décoder le graphe U=f(t)...\n[2][3]",
                                        "[0][1]", "Nb. de fronts: 60"}));
        QCOMPARE(doc.m_nDisplay, std::int16_t(1 | 64));
        QCOMPARE(app.m_fRefX, 0.0f); // Escape closes as "&Fermer" does
    }
};

QTEST_MAIN(TestAnalyseDlg)
#include "tst_analysedlg.moc"
