// The regression, zoom and legend tools driven like a user: menu commands,
// real clicks on the real view and on the dialogs, offscreen.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/mainframe.h"
#include "common/format.h"
#include "common/novalue.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/ui/legenddlg.h"
#include "graph/ui/regressiondlg.h"
#include "graph/ui/zoomdlg.h"
#include "mainwindowtest.h"
#include "view/commandids.h"
#include "view/ui/zbview.h"
#include "view/viewcoords.h"

namespace {

QString Coefficient(const QWidget* dialog, int k) {
    return dialog->findChild<QLabel*>(QStringLiteral("coef%1").arg(k))->text();
}

// Answers the next message box with this button, after checking its text.
void AnswerNextBox(const QString& text, QMessageBox::StandardButton answer) {
    WhenModalOpens<QMessageBox>([text, answer](QMessageBox* box) {
        QCOMPARE(box->text(), text);
        QCOMPARE(box->windowTitle(), QStringLiteral("Logiciel Lineatix"));
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
}

void ClickLine(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
}

QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

} // namespace

class TestGraphTools : public CMainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { UseTestProfile(); }
    void init() { QVERIFY(OpenWindow(QSize(1000, 700))); }
    void cleanup() { CloseWindow(); }

    void regressionFromTheMenu();
    void regressionPicksTheFirstChannel();
    void regressionKeys();
    void zoomFromTheMenu_data();
    void zoomFromTheMenu();
    void zoomOkWithoutRectangle();
    void legendDialog();
    void legendRemoveAllAndQuit();
    void legendFromTheContextMenu();

  private:
    // CH1 on the line y = 2x + 1, x = 0..rows-1 s; REF1 (when asked) on the
    // same line, just below it.
    void Acquire(int rows, bool withRef1 = false) {
        m_doc->m_nChannels = withRef1 ? (kChannelCh1 | kChannelRef1) : kChannelCh1;
        m_doc->m_nDisplay = m_doc->m_nChannels;
        m_doc->m_nPoints = static_cast<std::int16_t>(rows);
        for (int i = 0; i < rows; ++i) {
            m_doc->m_fT[i][0] = float(i);
            m_doc->m_fT[i][1] = 2.0f * i + 1;
            if (!withRef1) continue;
            m_doc->m_fT[i][2] = float(i);
            m_doc->m_fT[i][3] = 2.0f * i + 0.98f;
        }
        View()->repaint(); // the graph writes its transform back while drawing
        m_frame->UpdateCommandUi();
    }
    CZbView* View() { return m_frame->View(); }
    CViewCoords Coords() { return CViewCoords(*m_doc, View()->size()); }
    QPoint SamplePixel(int row, int yColumn = 1) {
        View()->repaint();
        const CViewCoords coords = Coords();
        const FloatPoint shown = coords.DataToShown(m_doc->m_fT[row][0], m_doc->m_fT[row][yColumn]);
        const PixelPoint pixel = coords.ShownToPixel(shown.x, shown.y);
        return QPoint(pixel.x, pixel.y);
    }
    // "Ec(mm)" for a radius of some pixels, in shown units along the coarser axis.
    QString ToleranceOfPixels(float pixels) {
        const float scale = Coords().Scale();
        return Sprintf("%g", pixels * std::max(m_doc->m_fMultX / (scale * m_doc->m_fMmPerUnitX),
                                               m_doc->m_fMultY / (scale * m_doc->m_fMmPerUnitY)));
    }
    void ClickView(QPoint pixel) {
        QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, pixel);
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(View(), (from + to) / 2);
        QTest::mouseMove(View(), to);
        QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, to);
    }
    CRegressionDlg* OpenRegressions() {
        m_frame->Action(kCmdRegressions)->trigger();
        return View()->findChild<CRegressionDlg*>();
    }
    void RunLegend(int command, const std::function<void(CLegendDlg*)>& steps) {
        WhenModalOpens<CLegendDlg>([steps](CLegendDlg* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Définition légende"));
            steps(dialog);
        });
        m_frame->Action(command)->trigger();
    }
};

void TestGraphTools::regressionFromTheMenu() {
    Acquire(20);
    QAction* command = m_frame->Action(kCmdRegressions);
    QVERIFY(command->isEnabled());
    CRegressionDlg* dialog = OpenRegressions();
    QVERIFY(dialog);
    command->trigger(); // open already: nothing more
    QCOMPARE(View()->findChildren<CRegressionDlg*>().size(), 1);
    QVERIFY(command->isChecked());
    QCOMPARE(m_doc->m_bRegressionOpen, 1);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Tracé de régressions"));
    QVERIFY(!dialog->isModal());
    QVERIFY(!FindButton(dialog, QStringLiteral("&Calculer"))->isEnabled());
    QCOMPARE(Coefficient(dialog, 0), QStringLiteral("a0=?"));
    auto* tolerance = dialog->findChild<QLineEdit*>(QStringLiteral("tolerance"));
    QCOMPARE(tolerance->text(), QStringLiteral("0.02"));

    // "Ec(mm)" 0 becomes 0.01 as soon as it is read.
    TypeInto(tolerance, QStringLiteral("0"));
    QVERIFY(ClickButton(dialog, QStringLiteral("Point &1")));
    QCOMPARE(tolerance->text(), QStringLiteral("0.01"));
    QCOMPARE(m_doc->m_pRegressions->m_fTolerance, 0.01f);

    TypeInto(tolerance, ToleranceOfPixels(3));
    QVERIFY(ClickButton(dialog, QStringLiteral("Point &1")));
    QCOMPARE(Message(dialog),
             QStringLiteral("Placer le curseur de la souris sur le 1er point de la "
                            "régression.\nCliquez sur le bouton gauche."));
    ClickView(QPoint(View()->width() - 5, 5));
    QVERIFY2(Message(dialog).startsWith(QStringLiteral("Point 1 non trouvé !\nX:")),
             qPrintable(Message(dialog)));
    ClickView(SamplePixel(15));
    // The sample in shown units (data times the multipliers).
    QCOMPARE(Message(dialog), Sprintf("Point 1 trouvé:\n[0][1] - Point n°15\nX:%8.3f Y:%8.3f ",
                                      15 * m_doc->m_fMultX, 31 * m_doc->m_fMultY));
    QVERIFY(!m_app->HasReference()); // picking leaves the cursor alone
    QVERIFY(ClickButton(dialog, QStringLiteral("Point &2")));
    ClickView(SamplePixel(3));
    QCOMPARE(Message(dialog), Sprintf("Point 2 trouvé:\n[0][1] - Point n°3\nX:%8.3f Y:%8.3f ",
                                      3 * m_doc->m_fMultX, 7 * m_doc->m_fMultY));

    QVERIFY(ClickButton(dialog, QStringLiteral("&Calculer")));
    // The computing message stays a moment, the window still answering.
    QCOMPARE(
        Message(dialog),
        QStringLiteral("Calcul de la régression d'ordre 1 en cours sur 13 valeurs...\n[0][1]"));
    QCOMPARE(Coefficient(dialog, 1), QStringLiteral("a1=?"));
    QTRY_COMPARE(Message(dialog),
                 QStringLiteral("Cliquer sur Fermer pour visualiser la courbe de régression"));
    QCOMPARE(Coefficient(dialog, 0), QStringLiteral("a0:1.000e+000"));
    QCOMPARE(Coefficient(dialog, 1), QStringLiteral("a1:2.000e+000"));
    QCOMPARE(Coefficient(dialog, 7), QStringLiteral("a7:0.000e+000"));

    // A parabola in slot 1: the type list and the radios.
    QTest::mouseClick(FindButton(dialog, QStringLiteral("Régr. &1")), Qt::LeftButton);
    QCOMPARE(Coefficient(dialog, 0), QStringLiteral("a0=?"));
    auto* type = dialog->findChild<QComboBox*>(QStringLiteral("type"));
    QCOMPARE(type->count(), 7);
    QCOMPARE(type->itemText(6), QStringLiteral("Polynomiale d'ordre 7"));
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Down);
    QCOMPARE(m_doc->m_pRegressions->m_nType[1], 1);
    QTest::mouseClick(FindButton(dialog, QStringLiteral("Régr. &0")), Qt::LeftButton);
    QCOMPARE(type->currentIndex(), 0);
    QCOMPARE(Coefficient(dialog, 1), QStringLiteral("a1:2.000e+000"));

    // Drawn on the graph once closed, unless its box is unticked.
    m_app->m_fRefX = m_app->m_fRefY = 1;
    QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
    QTRY_VERIFY(View()->findChildren<CRegressionDlg*>().isEmpty());
    QCOMPARE(m_doc->m_bRegressionOpen, 0);
    QVERIFY(!View()->m_pRegressionDlg);
    QVERIFY(!m_app->HasReference());
    m_frame->UpdateCommandUi();
    QVERIFY(!command->isChecked());
    QCOMPARE(m_doc->m_pRegressions->m_bComputed[0], 1);
    const QImage drawn = View()->grab().toImage();
    m_doc->m_pRegressions->m_bDraw[0] = 0;
    QVERIFY(View()->grab().toImage() != drawn);

    // Reopened on the same slot, with its result.
    dialog = OpenRegressions();
    QVERIFY(dialog);
    QCOMPARE(Coefficient(dialog, 1), QStringLiteral("a1:2.000e+000"));
    QVERIFY(!dialog->findChild<QCheckBox*>()->isChecked());
    QVERIFY(FindButton(dialog, QStringLiteral("&Calculer"))->isEnabled());
    dialog->close();
}

// CH1 and REF1 close together: a click right on REF1 finds CH1 within the
// radius first.
void TestGraphTools::regressionPicksTheFirstChannel() {
    Acquire(20, true);
    CRegressionDlg* dialog = OpenRegressions();
    QVERIFY(dialog);
    TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("tolerance")), ToleranceOfPixels(4));
    QVERIFY(ClickButton(dialog, QStringLiteral("Point &1")));
    ClickView(SamplePixel(8, 3));
    QVERIFY2(Message(dialog).startsWith(QStringLiteral("Point 1 trouvé:\n[0][1] - Point n°8")),
             qPrintable(Message(dialog)));
    // Point 2 on REF1 alone (CH1 hidden): another curve, no computing.
    m_doc->m_nDisplay = kChannelRef1;
    QVERIFY(ClickButton(dialog, QStringLiteral("Point &2")));
    ClickView(SamplePixel(12, 3));
    QVERIFY2(Message(dialog).startsWith(QStringLiteral("Point 2 trouvé:\n[2][3] - Point n°12")),
             qPrintable(Message(dialog)));
    QVERIFY(!FindButton(dialog, QStringLiteral("&Calculer"))->isEnabled());
    dialog->close();
}

// Enter goes to the hidden OK, which does nothing; Escape closes.
void TestGraphTools::regressionKeys() {
    Acquire(20);
    QPointer<CRegressionDlg> dialog = OpenRegressions();
    QVERIFY(dialog);
    QVERIFY(!FindButton(dialog, QStringLiteral("OK"))->isVisible());
    auto* tolerance = dialog->findChild<QLineEdit*>(QStringLiteral("tolerance"));
    tolerance->setFocus();
    const QString before = Message(dialog);
    QTest::keyClick(tolerance, Qt::Key_Return);
    QVERIFY(dialog->isVisible());
    QCOMPARE(Message(dialog), before);
    QCOMPARE(m_doc->m_bRegressionOpen, 1);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(m_doc->m_bRegressionOpen, 0);
}

void TestGraphTools::zoomFromTheMenu_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("ok");
    QTest::newRow("top-left to bottom-right, OK") << QPoint(200, 150) << QPoint(500, 400) << true;
    QTest::newRow("bottom-right to top-left, OK") << QPoint(500, 400) << QPoint(200, 150) << true;
    QTest::newRow("Annuler zoom") << QPoint(200, 150) << QPoint(500, 400) << false;
}

void TestGraphTools::zoomFromTheMenu() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, ok);
    Acquire(20);
    m_doc->SetZoom(2, 0, 5, 100); // zoomed before: opening shows everything
    m_app->m_fRefX = m_app->m_fRefY = 1;
    QAction* command = m_frame->Action(kCmdZoom);
    QVERIFY(command->isEnabled());
    command->trigger();
    QPointer<CZoomDlg> dialog = View()->findChild<CZoomDlg*>();
    QVERIFY(dialog);
    command->trigger();
    QCOMPARE(View()->findChildren<CZoomDlg*>().size(), 1);
    QVERIFY(command->isChecked());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Zoom sur une zone du graphe visualisé"));
    QCOMPARE(Message(dialog), QStringLiteral("Tracer ou modifier le rectangle avec la souris..."));
    QCOMPARE(m_doc->m_fZoomX1, kNoValueLow);
    QCOMPARE(m_doc->m_fZoomX2, kNoValue);
    QVERIFY(!m_app->HasReference());

    View()->repaint();
    Drag(from, to);
    const FloatPoint topLeft = Coords().PixelToShown(200, 150);
    const FloatPoint bottomRight = Coords().PixelToShown(500, 400);
    QCOMPARE(Message(dialog), Sprintf("xmi: %1.3f, ymi: %1.3f\nxma: %1.3f, yma: %1.3f", topLeft.x,
                                      bottomRight.y, bottomRight.x, topLeft.y));
    QVERIFY(ClickButton(dialog, ok ? QStringLiteral("&OK") : QStringLiteral("&Annuler zoom")));
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(m_doc->m_bZoomOpen, 0);
    QVERIFY(!View()->m_pZoomDlg);
    m_frame->UpdateCommandUi();
    QVERIFY(!command->isChecked());
    if (ok) {
        QCOMPARE(m_doc->m_fZoomX1, topLeft.x / m_doc->m_fMultX);
        QCOMPARE(m_doc->m_fZoomX2, bottomRight.x / m_doc->m_fMultX);
        QCOMPARE(m_doc->m_fZoomY1, bottomRight.y / m_doc->m_fMultY);
        QCOMPARE(m_doc->m_fZoomY2, topLeft.y / m_doc->m_fMultY);
    } else {
        QCOMPARE(m_doc->m_fZoomX1, kNoValueLow);
        QCOMPARE(m_doc->m_fZoomY2, kNoValue);
    }
}

void TestGraphTools::zoomOkWithoutRectangle() {
    Acquire(20);
    m_doc->SetZoom(2, 0, 5, 100);
    m_frame->Action(kCmdZoom)->trigger();
    QPointer<CZoomDlg> dialog = View()->findChild<CZoomDlg*>();
    QVERIFY(dialog);
    QVERIFY(ClickButton(dialog, QStringLiteral("&OK")));
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(m_doc->m_fZoomX1, kNoValueLow);
    QCOMPARE(m_doc->m_fZoomX2, kNoValue);
    QCOMPARE(m_doc->m_fZoomY1, kNoValueLow);
    QCOMPARE(m_doc->m_fZoomY2, kNoValue);
}

void TestGraphTools::legendDialog() {
    Acquire(20);
    m_doc->m_astrLegend = {"ACQ. OSCILLOSCOPE", "NOM", "Groupe 3", "Date"};
    QVERIFY(m_frame->Action(kCmdLegend)->isEnabled());
    RunLegend(kCmdLegend, [this](CLegendDlg* dialog) {
        QCOMPARE(Lines(dialog->m_lbLines), m_doc->m_astrLegend);
        QCOMPARE(dialog->m_edText->text(), QStringLiteral("Sansnom"));
        auto* x = dialog->findChild<QLineEdit*>(QStringLiteral("x"));
        auto* y = dialog->findChild<QLineEdit*>(QStringLiteral("y"));
        QCOMPARE(x->text(), QStringLiteral("80"));
        QCOMPARE(y->text(), QStringLiteral("90"));
        auto* show = dialog->findChild<QCheckBox*>();
        QVERIFY(!show->isChecked());

        // "Nom" is refused when "NOM" is listed.
        TypeInto(dialog->m_edText, QStringLiteral("Nom"));
        AnswerNextBox(QStringLiteral("Elément déjà dans la liste!"), QMessageBox::Ok);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Ajouter")));
        QCOMPARE(dialog->m_lbLines->count(), 4);

        // With the third line selected the new one takes its place.
        ClickLine(dialog->m_lbLines, 2);
        TypeInto(dialog->m_edText, QStringLiteral("Dupont, Durand"));
        QVERIFY(ClickButton(dialog, QStringLiteral("&Ajouter")));
        QCOMPARE(Lines(dialog->m_lbLines),
                 QStringList({"ACQ. OSCILLOSCOPE", "NOM", "Dupont, Durand", "Groupe 3", "Date"}));

        // Removal asks each time; No keeps the line.
        ClickLine(dialog->m_lbLines, 4);
        AnswerNextBox(QStringLiteral("Voulez-vous supprimer cet élément?"), QMessageBox::No);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Retirer")));
        QCOMPARE(dialog->m_lbLines->count(), 5);
        AnswerNextBox(QStringLiteral("Voulez-vous supprimer cet élément?"), QMessageBox::Yes);
        QVERIFY(ClickButton(dialog, QStringLiteral("&Retirer")));
        QCOMPARE(Lines(dialog->m_lbLines),
                 QStringList({"ACQ. OSCILLOSCOPE", "NOM", "Dupont, Durand", "Groupe 3"}));
        AnswerNextBox(QStringLiteral("Voulez-vous supprimer tous le contenu?"), QMessageBox::No);
        QVERIFY(ClickButton(dialog, QStringLiteral("Retirer &tout")));
        QCOMPARE(dialog->m_lbLines->count(), 4);

        // Nothing selected: appended at the end.
        dialog->m_lbLines->clearSelection();
        TypeInto(dialog->m_edText, QStringLiteral("TP 2"));
        QVERIFY(ClickButton(dialog, QStringLiteral("&Ajouter")));
        QCOMPARE(dialog->m_lbLines->item(4)->text(), QStringLiteral("TP 2"));

        TypeInto(x, QStringLiteral("12.5"));
        TypeInto(y, QStringLiteral("-3"));
        QTest::mouseClick(show, Qt::LeftButton);
        QVERIFY(ClickButton(dialog, QStringLiteral("&OK")));
    });
    QCOMPARE(m_doc->m_astrLegend,
             QStringList({"ACQ. OSCILLOSCOPE", "NOM", "Dupont, Durand", "Groupe 3", "TP 2"}));
    QCOMPARE(m_doc->m_fLegendX, 12.5f);
    QCOMPARE(m_doc->m_fLegendY, -3.0f);
    QCOMPARE(m_doc->m_bLegend, 1);
}

void TestGraphTools::legendRemoveAllAndQuit() {
    Acquire(20);
    const QStringList before = m_doc->m_astrLegend;
    RunLegend(kCmdLegend, [](CLegendDlg* dialog) {
        AnswerNextBox(QStringLiteral("Voulez-vous supprimer tous le contenu?"), QMessageBox::Yes);
        QVERIFY(ClickButton(dialog, QStringLiteral("Retirer &tout")));
        QCOMPARE(dialog->m_lbLines->count(), 0);
        // Nothing selected: "&Retirer" asks nothing.
        QVERIFY(ClickButton(dialog, QStringLiteral("&Retirer")));
        TypeInto(dialog->findChild<QLineEdit*>(QStringLiteral("x")), QStringLiteral("1"));
        QVERIFY(ClickButton(dialog, QStringLiteral("&Quitter")));
    });
    QCOMPARE(m_doc->m_astrLegend, before);
    QCOMPARE(m_doc->m_fLegendX, 80.0f);
}

// The context command puts the legend where the menu was opened.
void TestGraphTools::legendFromTheContextMenu() {
    Acquire(20);
    const QPoint pixel(300, 200);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pixel, View()->mapToGlobal(pixel));
    QApplication::sendEvent(View(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction* define = menu->actions().value(1);
    QCOMPARE(define->text(), QStringLiteral("&Définir légende..."));
    QVERIFY(define->isEnabled());
    const FloatPoint page = Coords().PixelToPage(pixel.x(), pixel.y());
    bool shown = false;
    WhenModalOpens<CLegendDlg>([&](CLegendDlg* dialog) {
        shown = true;
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("x"))->text(), Sprintf("%g", page.x));
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("y"))->text(), Sprintf("%g", page.y));
        QVERIFY(ClickButton(dialog, QStringLiteral("&OK")));
    });
    define->trigger();
    menu->close();
    QVERIFY(shown);
    QCOMPARE(m_doc->m_fLegendX, page.x);
    QCOMPARE(m_doc->m_fLegendY, page.y);
}

QTEST_MAIN(TestGraphTools)
#include "tst_graphtools.moc"
