#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "code/ui/codeparamsdlg.h"
#include "code/ui/generatedlg.h"
#include "code/ui/rotatedlg.h"
#include "common/novalue.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

QLineEdit* Edit(const QWidget* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(QLatin1String(name));
}

QString Shown(const QWidget* dialog, const char* name) {
    if (auto* label = dialog->findChild<QLabel*>(QLatin1String(name))) return label->text();
    return Edit(dialog, name)->text();
}

// Independent of the program: the EAN-13 check digit of twelve digits.
int ReferenceCheckDigit(const QString& twelve) {
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (twelve[i].digitValue()) * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

void ChooseInColourDialog(const QColor& colour, bool accept) {
    WhenModalOpens<QColorDialog>([colour, accept](QColorDialog* chooser) {
        chooser->setCurrentColor(colour);
        auto* box = chooser->findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                          Qt::LeftButton);
    });
}

} // namespace

class TestCodeDialogs : public QObject {
    Q_OBJECT
  private slots:
    // Generation -----------------------------------------------------------

    void generationShowsTheCheckDigitAndStoresTheCode() {
        CZbDoc doc(nullptr);
        doc.m_strCode = QStringLiteral("4006381333931");
        doc.m_nDisplay = 1;
        CGenerateDlg dialog(&doc);
        QSignalSpy redraws(&dialog, &CGenerateDlg::redrawRequested);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Génération d'un code EAN13"));
        QStringList seen;
        const int result = RunModal(dialog, [&] {
            QCOMPARE(Edit(&dialog, "first")->text(), QStringLiteral("4"));
            QCOMPARE(Edit(&dialog, "left")->text(), QStringLiteral("006381"));
            QCOMPARE(Edit(&dialog, "right")->text(), QStringLiteral("33393"));
            seen << Shown(&dialog, "check");
            TypeInto(Edit(&dialog, "first"), QStringLiteral("5"));
            TypeInto(Edit(&dialog, "left"), QStringLiteral("410673"));
            TypeInto(Edit(&dialog, "right"), QStringLiteral("00420"));
            seen << Shown(&dialog, "check");
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(seen, QStringList({"1", "8"}));
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
        QCOMPARE(doc.m_nDisplay, std::int16_t(0));
        QCOMPARE(redraws.count(), 1);
    }

    void generationFields_data() {
        // Stored code, the three fields typed (empty: left alone), code stored.
        QTest::addColumn<QStringList>("fields");
        // Letters are refused as they are typed; the digits around them stay.
        QTest::newRow("letters refused")
            << QStringList{"5410673004208", "x9", "12ab3456", "7-8.901", "9123456789013"};
        // A short field leaves its part unchanged; the check digit still fits
        // the code stored.
        QTest::newRow("short left half")
            << QStringList{"5410673004208", "7", "12", "00420", "7410673004206"};
        QTest::newRow("all fields empty")
            << QStringList{"5410673004208", "", "", "", "5410673004208"};
        QTest::newRow("short stored code is padded")
            << QStringList{"54106", "", "", "12345", "5410600123453"};
        // A letter a reader stored counts as nothing and stays until retyped.
        QTest::newRow("stored code with a letter")
            << QStringList{"54106X3004208", "", "", "", "54106X3004209"};
        QTest::newRow("longer stored code is cut")
            << QStringList{"54106730042081234", "", "", "", "5410673004208"};
    }
    void generationFields() {
        QFETCH(QStringList, fields);
        const QString code = fields[0], first = fields[1], left = fields[2], right = fields[3];
        const QString stored = fields[4];
        QString twelve = stored.left(12);
        twelve.replace(QLatin1Char('X'), QLatin1Char('0'));
        QCOMPARE(QString::number(ReferenceCheckDigit(twelve)), stored.mid(12));
        CZbDoc doc(nullptr);
        doc.m_strCode = code;
        CGenerateDlg dialog(&doc);
        QString shown;
        RunModal(dialog, [&] {
            if (!first.isEmpty()) TypeInto(Edit(&dialog, "first"), first);
            if (!left.isEmpty()) TypeInto(Edit(&dialog, "left"), left);
            if (!right.isEmpty()) TypeInto(Edit(&dialog, "right"), right);
            shown = Shown(&dialog, "check");
            QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
        });
        QCOMPARE(doc.m_strCode, stored);
        QCOMPARE(shown, stored.mid(12));
    }

    void generationQuitChangesNothing() {
        CZbDoc doc(nullptr);
        doc.m_nDisplay = 1;
        CGenerateDlg dialog(&doc);
        const int result = RunModal(dialog, [&] {
            TypeInto(Edit(&dialog, "left"), QStringLiteral("999999"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Quitter")));
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(doc.m_strCode, QStringLiteral("5410673004208"));
        QCOMPARE(doc.m_nDisplay, std::int16_t(1));
    }

    // Parameters -----------------------------------------------------------

    void parametersApplyLimits_data() {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("space");
        QTest::addColumn<QString>("coefficient");
        QTest::addColumn<QString>("button");
        QTest::addColumn<float>("bar0");
        QTest::addColumn<float>("space0");
        QTest::addColumn<float>("coef");
        QTest::newRow("defaults on close") << "0.6"
                                           << "0.6"
                                           << "1.1"
                                           << "&Fermer" << 0.6f << 0.6f << 1.1f;
        QTest::newRow("coefficient below 1") << "0.6"
                                             << "0.7"
                                             << "0.5"
                                             << "Code n°&2" << 0.6f << 0.7f << 1.0f;
        QTest::newRow("coefficient above 1.2") << "0.6"
                                               << "0.6"
                                               << "1.5"
                                               << "&Fermer" << 0.6f << 0.6f << 1.2f;
        QTest::newRow("widths at least 0.2 mm") << "0.1"
                                                << "0"
                                                << "1"
                                                << "Code n°&1" << 0.2f << 0.2f << 1.0f;
        QTest::newRow("no upper width limit") << "25"
                                              << "3.5"
                                              << "1.2"
                                              << "&Fermer" << 25.0f << 3.5f << 1.2f;
        QTest::newRow("unreadable entries keep their value") << "."
                                                             << "-"
                                                             << "e"
                                                             << "&Fermer" << 0.6f << 0.6f << 1.1f;
    }
    void parametersApplyLimits() {
        QFETCH(QString, bar);
        QFETCH(QString, space);
        QFETCH(QString, coefficient);
        QFETCH(QString, button);
        QFETCH(float, bar0);
        QFETCH(float, space0);
        QFETCH(float, coef);
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        QSignalSpy redraws(&dialog, &CCodeParamsDlg::redrawRequested);
        QString shownCoefficient;
        RunModal(dialog, [&] {
            TypeInto(Edit(&dialog, "bar"), bar);
            TypeInto(Edit(&dialog, "space"), space);
            TypeInto(Edit(&dialog, "coefficient"), coefficient);
            QVERIFY(ClickButton(&dialog, button));
            shownCoefficient = Edit(&dialog, "coefficient")->text();
            if (dialog.isVisible()) QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(doc.m_fCoef, coef);
        QCOMPARE(shownCoefficient, QString::number(coef));
        QCOMPARE(doc.m_fBar[0], bar0);
        QCOMPARE(doc.m_fSpace[0], space0);
        for (int i = 1; i < CZbDoc::kRenderings; ++i) {
            QVERIFY(qAbs(doc.m_fBar[i] - bar0 * std::pow(coef, float(i))) < 1e-5f * doc.m_fBar[i]);
            QVERIFY(qAbs(doc.m_fSpace[i] - space0 * std::pow(coef, float(i))) <
                    1e-5f * doc.m_fSpace[i]);
        }
        QVERIFY(redraws.count() >= 1);
    }

    void parametersRenderingEightFromWidthsAndCoefficient() {
        CZbDoc doc(nullptr);
        doc.m_fBar[7] = doc.m_fSpace[7] = 0;
        CCodeParamsDlg dialog(&doc);
        RunModal(dialog, [&] { QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer"))); });
        QCOMPARE(QString::number(doc.m_fBar[7], 'f', 3), QStringLiteral("1.169"));
        QCOMPARE(QString::number(doc.m_fSpace[7], 'f', 3), QStringLiteral("1.169"));
    }

    void parametersWidthEditsOnlyForRenderingOne() {
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        RunModal(dialog, [&] {
            TypeInto(Edit(&dialog, "bar"), QStringLiteral("0.8"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&5")));
            QVERIFY(!Edit(&dialog, "bar")->isEnabled());
            QVERIFY(!Edit(&dialog, "space")->isEnabled());
            // Still read while disabled: rendering 1 keeps the width shown.
            QCOMPARE(doc.m_fBar[0], 0.8f);
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&1")));
            QVERIFY(Edit(&dialog, "bar")->isEnabled());
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(doc.m_fBar[0], 0.8f);
    }

    void parametersColourEditsFollowTheRendering() {
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        QStringList shown;
        RunModal(dialog, [&] {
            const auto components = [&] {
                return QStringList{
                    Edit(&dialog, "barRed")->text(),     Edit(&dialog, "barGreen")->text(),
                    Edit(&dialog, "barBlue")->text(),    Edit(&dialog, "spaceRed")->text(),
                    Edit(&dialog, "spaceGreen")->text(), Edit(&dialog, "spaceBlue")->text()};
            };
            shown = components(); // rendering 1: bar 0x000040, space 0xFFFF40
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&3")));
            QCOMPARE(components(), QStringList({"0", "255", "255", "255", "255", "0"}));
            // Typed components go to rendering 3 on the next apply; an excess
            // is limited to 255 and does not spill into the next component.
            TypeInto(Edit(&dialog, "barRed"), QStringLiteral("300"));
            TypeInto(Edit(&dialog, "barGreen"), QStringLiteral("1"));
            TypeInto(Edit(&dialog, "barBlue"), QStringLiteral("2"));
            TypeInto(Edit(&dialog, "spaceBlue"), QStringLiteral("abc7"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&1")));
            QCOMPARE(components(), shown);
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&3")));
            QCOMPARE(components(), QStringList({"255", "1", "2", "255", "255", "7"}));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        QCOMPARE(shown, QStringList({"64", "0", "0", "64", "255", "255"}));
        QCOMPARE(doc.m_crBar[2], COLORREF(0x0201FF));
        QCOMPARE(doc.m_crSpace[2], COLORREF(0x07FFFF));
        QCOMPARE(doc.m_crBar[0], COLORREF(0x000040));
    }

    void parametersColourChooser_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("accept");
        QTest::newRow("bar colour chosen") << "Couleur trait" << true;
        QTest::newRow("space colour chosen") << "Couleur espace" << true;
        QTest::newRow("chooser cancelled") << "Couleur trait" << false;
    }
    void parametersColourChooser() {
        QFETCH(QString, button);
        QFETCH(bool, accept);
        const bool bar = button == QLatin1String("Couleur trait");
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        QSignalSpy redraws(&dialog, &CCodeParamsDlg::redrawRequested);
        QStringList shown;
        COLORREF storedBeforeClose = 0;
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, QStringLiteral("Code n°&4")));
            redraws.clear();
            ChooseInColourDialog(QColor(10, 20, 30), accept);
            QVERIFY(ClickButton(&dialog, button));
            const char* prefix = bar ? "bar" : "space";
            for (const char* part : {"Red", "Green", "Blue"})
                shown << Edit(&dialog, QByteArray(prefix).append(part).constData())->text();
            storedBeforeClose = bar ? doc.m_crBar[3] : doc.m_crSpace[3];
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        if (accept) {
            QCOMPARE(shown, QStringList({"10", "20", "30"}));
            QCOMPARE(storedBeforeClose, COLORREF(0x1E140A));
            QCOMPARE(redraws.count(), 2); // the choice, then the close
        } else {
            // Rendering 4: bar 0x0000FF, space 0xFFFFFF.
            QCOMPARE(shown, QStringList({"255", "0", "0"}));
            QCOMPARE(storedBeforeClose, COLORREF(0x0000FF));
            QCOMPARE(redraws.count(), 1);
        }
        QCOMPARE(bar ? doc.m_crBar[3] : doc.m_crSpace[3], storedBeforeClose);
    }

    void parametersSameColoursAsOne_data() {
        QTest::addColumn<QString>("shownRendering");
        QTest::newRow("from rendering 6") << "Code n°&6";
        QTest::newRow("from rendering 1") << "Code n°&1";
    }
    void parametersSameColoursAsOne() {
        QFETCH(QString, shownRendering);
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        QString shownRed;
        RunModal(dialog, [&] {
            QVERIFY(ClickButton(&dialog, shownRendering));
            QVERIFY(ClickButton(&dialog, QStringLiteral("Couleurs idem à 1")));
            shownRed = Edit(&dialog, "spaceRed")->text();
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        // The edits show the copied colours, so closing keeps them everywhere.
        QCOMPARE(shownRed, QStringLiteral("64"));
        for (int i = 0; i < CZbDoc::kRenderings; ++i) {
            QCOMPARE(doc.m_crBar[i], COLORREF(0x000040));
            QCOMPARE(doc.m_crSpace[i], COLORREF(0xFFFF40));
        }
    }

    void parametersSameColoursTakesTypedColoursOfOne() {
        CZbDoc doc(nullptr);
        CCodeParamsDlg dialog(&doc);
        RunModal(dialog, [&] {
            TypeInto(Edit(&dialog, "barGreen"), QStringLiteral("128"));
            QVERIFY(ClickButton(&dialog, QStringLiteral("Couleurs idem à 1")));
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Fermer")));
        });
        for (int i = 0; i < CZbDoc::kRenderings; ++i)
            QCOMPARE(doc.m_crBar[i], COLORREF(0x008040));
    }

    // Rotation -------------------------------------------------------------

    void rotationTwiceRestoresTheTrace() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nDisplay = 1;
        doc.m_nPoints = 6;
        const float values[6] = {0.5f, 4.5f, 4.0f, kNoValue, 0.5f, 1.0f};
        for (int i = 0; i < 6; ++i) {
            doc.m_fT[i][0] = 0.001f * i;
            doc.m_fT[i][1] = values[i];
        }
        app.m_fRefX = app.m_fRefY = 2;
        const auto rotate = [&](bool tickX, bool tickY, bool* shownX, bool* shownY) {
            CRotateDlg dialog(&doc, &app);
            QSignalSpy redraws(&dialog, &CRotateDlg::redrawRequested);
            RunModal(dialog, [&] {
                auto* x = FindButton(&dialog, QStringLiteral("Rotation autour de &x"));
                auto* y = FindButton(&dialog, QStringLiteral("Rotation autour de &y"));
                *shownX = x->isChecked();
                *shownY = y->isChecked();
                if (x->isChecked() != tickX) QTest::mouseClick(x, Qt::LeftButton);
                if (y->isChecked() != tickY) QTest::mouseClick(y, Qt::LeftButton);
                QVERIFY(ClickButton(&dialog, QStringLiteral("&OK")));
            });
            return redraws.count();
        };
        bool shownX = true, shownY = true;
        QCOMPARE(rotate(true, true, &shownX, &shownY), 1);
        QVERIFY(!shownX && !shownY);
        QCOMPARE(doc.m_nRotation, std::int16_t(3));
        const float turned[6] = {4.0f, 4.5f, kNoValue, 1.0f, 0.5f, 4.5f};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(doc.m_fT[i][1], turned[i]);
        QCOMPARE(doc.m_fT[2][0], 0.002f);
        QVERIFY(!app.HasReference());

        // Reopened, it shows the last rotation and applies it again.
        QCOMPARE(rotate(true, true, &shownX, &shownY), 1);
        QVERIFY(shownX && shownY);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(doc.m_fT[i][1], values[i]);

        // Neither box: nothing changes, the last rotation is kept.
        QCOMPARE(rotate(false, false, &shownX, &shownY), 0);
        QCOMPARE(doc.m_nRotation, std::int16_t(3));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(doc.m_fT[i][1], values[i]);
    }

    void rotationQuitChangesNothing() {
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_nDisplay = 1;
        doc.m_nPoints = 2;
        doc.m_fT[0][0] = 0;
        doc.m_fT[0][1] = 1;
        doc.m_fT[1][0] = 1;
        doc.m_fT[1][1] = 3;
        CRotateDlg dialog(&doc, &app);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Rotation de l'acquisition oscilloscope"));
        const int result = RunModal(dialog, [&] {
            QTest::mouseClick(FindButton(&dialog, QStringLiteral("Rotation autour de &x")),
                              Qt::LeftButton);
            QVERIFY(ClickButton(&dialog, QStringLiteral("&Quitter")));
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(doc.m_fT[0][1], 1.0f);
        QCOMPARE(doc.m_nRotation, std::int16_t(0));
    }
};

QTEST_MAIN(TestCodeDialogs)
#include "tst_codedialogs.moc"
