// The program's main window driven like a user: real clicks, keys and
// dialogs on the real frame, offscreen.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>
#include <functional>
#include <memory>

#include "app/aboutdlg.h"
#include "app/application.h"
#include "app/commandtable.h"
#include "app/mainframe.h"
#include "common/novalue.h"
#include "decode/scanmodel.h"
#include "decode/ui/extractdlg.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/ui/displaydlg.h"
#include "view/ui/zbview.h"
#include "view/viewcoords.h"
#include "view/viewtools.h"

namespace {

// Runs a check on the modal dialog that the next exec() opens.
void OnNextDialog(std::function<void(QWidget*)> drive) {
    QTimer::singleShot(0, [drive] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        drive(dialog);
    });
}

// Stands in for the zoom and extraction dialogs.
struct RecordingRectangleTool : CRectangleTool {
    void SetRectangle(float x1, float y1, float x2, float y2) override {
        corners = {x1, y1, x2, y2};
        ++calls;
    }
    QList<float> corners;
    int calls = 0;
};

// Stands in for the regression dialog.
struct RecordingPicker : CPointPickingTool {
    void PickPoint(bool isFound, std::int16_t r, std::int16_t, std::int16_t, float, float,
                   float) override {
        found = isFound;
        row = r;
        ++calls;
    }
    bool found = false;
    int row = -1;
    int calls = 0;
};

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithTitleAndCodePane();
    void graphCommandsDisabled_data();
    void graphCommandsDisabled();
    void commandTableTexts();
    void clickFarFromEverySample();
    void clickOnASampleMovesTheReference();
    void arrowsWrapThroughMPoints_data();
    void arrowsWrapThroughMPoints();
    void rectangleGoesToTheOpenTools_data();
    void rectangleGoesToTheOpenTools();
    void handlesResize_data();
    void handlesResize();
    void regressionPickingTakesTheClick();
    void extractionOpensOnce();
    void analysisFromTheMenuNamesTheWindow();
    void displayDialog();
    void displayDialogGraphWithNothingShowsCodeSheet();
    void openingAFileResetsTheReference();
    void titleFollowsTheDocumentName();
    void droppedFilesOpenAndTheRecentListKeepsFour();
    void recentFileThatIsGoneLeavesTheList();
    void contextMenu();
    void previewClearsTheReference_data();
    void previewClearsTheReference();
    void aboutBoxHistory();
    void qtOwnTextsInFrench(); // last: the translation stays installed

  private:
    // CH1 on a ramp: sample i at (i s, i / 10 V).
    void Acquire(int rows);
    CZbView* View() { return m_frame->View(); }
    QString Readout() { return m_frame->ReadoutPane()->text(); }
    CViewCoords Coords() { return CViewCoords(*m_doc, View()->size()); }
    QPoint SamplePixel(int row);
    void Click(QPoint pixel);
    void PickWithinPixels(float pixels);

    QTemporaryDir m_settingsDir;
    std::unique_ptr<CZbApp> m_app;
    std::unique_ptr<CZbDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestMainFrame::initTestCase() {
    // Keep the recent-file list of these runs out of the user's settings.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QApplication::setOrganizationName(QStringLiteral("LineatixTest"));
    QApplication::setApplicationName(QStringLiteral("LineatixTest"));
}

void TestMainFrame::init() {
    QSettings().clear();
    m_app = std::make_unique<CZbApp>();
    m_doc = std::make_unique<CZbDoc>(m_app.get());
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_app);
    m_frame->resize(1000, 700);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void TestMainFrame::cleanup() {
    m_frame.reset();
    m_doc.reset();
    m_app.reset();
}

void TestMainFrame::Acquire(int rows) {
    m_doc->m_nChannels = 1;
    m_doc->m_nPoints = static_cast<std::int16_t>(rows);
    for (int i = 0; i < rows; ++i) {
        m_doc->m_fT[i][0] = float(i);
        m_doc->m_fT[i][1] = i * 0.1f;
    }
}

QPoint TestMainFrame::SamplePixel(int row) {
    View()->repaint(); // the graph writes its transform back while drawing
    const CViewCoords coords = Coords();
    const FloatPoint shown = coords.DataToShown(m_doc->m_fT[row][0], m_doc->m_fT[row][1]);
    const PixelPoint pixel = coords.ShownToPixel(shown.x, shown.y);
    return QPoint(pixel.x, pixel.y);
}

void TestMainFrame::Click(QPoint pixel) {
    QTest::mouseMove(View(), pixel);
    QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, pixel);
    m_frame->UpdateStatusPanes();
}

// The click tolerance as a number of pixels, in shown units along the
// coarser axis (pixel positions are truncated on both). The test samples lie
// farther apart than that.
void TestMainFrame::PickWithinPixels(float pixels) {
    View()->repaint(); // the graph writes its transform back while drawing
    const float scale = Coords().Scale();
    m_doc->m_pRegressions->m_fTolerance =
        pixels * std::max(m_doc->m_fMultX / (scale * m_doc->m_fMmPerUnitX),
                          m_doc->m_fMultY / (scale * m_doc->m_fMmPerUnitY));
}

void TestMainFrame::startsWithTitleAndCodePane() {
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Sansnom - Lineatix"));
    QCOMPARE(m_frame->CodePane()->text(), QStringLiteral("5410673004208"));
    QCOMPARE(m_frame->CodePane()->width(), 150);
    QCOMPARE(m_frame->ReadoutPane()->width(), 250);
    QVERIFY(m_frame->Action(kCmdDisplayType)->isEnabled());
    QVERIFY(m_frame->Action(kCmdFileOpen)->isEnabled());
}

void TestMainFrame::graphCommandsDisabled_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("display");
    QTest::newRow("no samples, graph selected") << 0 << 1;
    QTest::newRow("samples, code sheet") << 100 << 0;
    QTest::newRow("samples, image") << 100 << 32;
}

void TestMainFrame::graphCommandsDisabled() {
    QFETCH(int, rows);
    QFETCH(int, display);
    Acquire(rows);
    m_doc->m_nDisplay = static_cast<std::int16_t>(display);
    m_frame->UpdateCommandUi();
    for (int id : {kCmdExportText, kCmdRotate, kCmdExtract, kCmdAnalyse, kCmdRegressions, kCmdZoom,
                   kCmdLegend})
        QVERIFY2(!m_frame->Action(id)->isEnabled(), qPrintable(m_frame->Action(id)->text()));
    QVERIFY(m_frame->Action(kCmdDisplayType)->isEnabled());
}

// Every menu item as the user sees it: its place, its status-bar prompt and
// its accelerator; the toolbar's order by its tooltips.
void TestMainFrame::commandTableTexts() {
    QStringList items;
    std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& path) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            const QString place = path + QStringLiteral(" > ") + action->text();
            if (action->menu() && action->text() != QStringLiteral("&Fichiers récents")) {
                walk(action->menu(), place);
                continue;
            }
            QString item = place + QStringLiteral(" | ") + action->statusTip();
            if (!action->shortcut().isEmpty())
                item += QStringLiteral(" | ") + action->shortcut().toString();
            items << item;
        }
    };
    for (QAction* top : m_frame->menuBar()->actions())
        walk(top->menu(), top->text());
    const QStringList expected = {
        "&Fichiers > &Ouvrir ... | Ouvre un document existant | Ctrl+O",
        "&Fichiers > &Sauver | Enregistre le document actif | Ctrl+S",
        "&Fichiers > Sau&ver sous ... | Enregistre le document actif sous un nouveau nom",
        "&Fichiers > &Ecrire [.TXT] Excel... | Ecrire un fichier texte compatible Excel",
        "&Fichiers > &Lire image... | Lecture d'une image pour étude de contraste",
        "&Fichiers > &Imprimer ... | Imprime le document actif | Ctrl+P",
        "&Fichiers > &Aperçu avant impression | Affiche des pages entières",
        "&Fichiers > &Configurer imprimante ... | Change les options d'imprimante et "
        "d'impression",
        "&Fichiers > &Fichiers récents | Ouvre ce fichier",
        "&Fichiers > &Quitter | Ferme l'application | Alt+X",
        "&Affichage > &Barre d'outils | Affiche ou masque la barre d'outils",
        "&Affichage > Barre d'é&tat | Affiche ou masque la barre d'état",
        "&Visualisation > &Définir le type de visualisation... | Sélection entre code, graphe ou "
        "image",
        "&Lecteur didactique > &Acq. Eurosmart PC-MES3 | Acquisition du code via entrées "
        "logiques carte Eurosmart",
        "&Lecteur didactique > &Acq. Tektronix > &Port série oscilloscope... | Sélection port "
        "série et test communication",
        "&Lecteur didactique > &Acq. Tektronix > &Acquérir... | Acquérir le spectre "
        "oscilloscope",
        "&Lecteur didactique > &Acq. GDS-820C (GW Instek) > &Port série oscilloscope... | "
        "Sélection port série et test communication",
        "&Lecteur didactique > &Acq. GDS-820C (GW Instek) > &Acquérir... | Acquisition spectre "
        "sur oscilloscope GW Instek",
        "&Lecteur didactique > Acq. &oscilloscope USB/Ethernet (Rigol, Keysight) > &Connexion "
        "oscilloscope... | Choix du port USB ou réseau et test communication",
        "&Lecteur didactique > Acq. &oscilloscope USB/Ethernet (Rigol, Keysight) > &Acquérir... "
        "| Acquisition spectre sur oscilloscope Rigol ou Keysight",
        "&Lecteur didactique > &Importer fichier oscilloscope... | Lire le fichier CSV "
        "enregistré par un oscilloscope ou un logiciel",
        "&Lecteur didactique > &Retourner/Inverser code... | Tourner le code autour de l'axe X "
        "et/ou Y",
        "&Lecteur didactique > &Extraire code... | Extraire le code code barre d'après "
        "acquisition oscilloscope",
        "&Lecteur didactique > &Analyser code... | Analyser le code extrait",
        "L&ecteur Leuze > &Connecter... | ",
        "L&ecteur Leuze > &Générer faisceau laser... | Mise en marche du laser sans lecture de "
        "code",
        "L&ecteur Leuze > &Lire codes... | Lire les codes placés sous le lecteur Leuze",
        "&Code EAN13 > &Générer code... | Génération d'un code barres",
        "&Code EAN13 > &Paramétrer code... | Définition des paramètres du code barres",
        "&Graphe > &Régressions... | Calcul de régressions linéaires ou polynomiales",
        "&Graphe > &Zoom... | Zoom sur le graphe",
        "&Graphe > &Légende... | Personnaliser la légende du graphe",
        "&? > &A propos de ... | Affiche des informations sur le programme",
    };
    QCOMPARE(items, expected);

    QStringList tips;
    for (QAction* action : m_frame->findChild<QToolBar*>(QStringLiteral("toolbar"))->actions())
        tips << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
    QCOMPARE(
        tips.join(QLatin1Char(',')),
        QStringLiteral("Ouvrir...,Enregistrer,|,Aperçu avant impression,Imprimer...,|,"
                       "Visualiser...,|,Acquérir code Leuze...,|,Retourner/Inverser code...,"
                       "Extraire code...,Analyser code...,|,Générer code...,Paramétrer code...,"
                       "|,Zoom...,Régressions...,|,A propos de ..."));
    // No port access worked out at start and no simulated card: grey.
    QVERIFY(!m_frame->Action(kCmdPcMes3)->isEnabled());
}

void TestMainFrame::clickFarFromEverySample() {
    Acquire(50);
    m_doc->m_nDisplay = 1;
    View()->repaint();
    const QPoint far(View()->width() - 3, 3);
    Click(far);
    QCOMPARE(Readout(), QStringLiteral("dx:   0.000, dy:   0.000"));
    QCOMPARE(View()->m_bClickFound, 0);
    const FloatPoint click = Coords().PixelToShown(far.x(), far.y());
    QCOMPARE(m_app->m_fRefX, click.x);
    QCOMPARE(m_app->m_fRefY, click.y);
    QCOMPARE(int(View()->m_nSelRow), -1);
}

void TestMainFrame::clickOnASampleMovesTheReference() {
    Acquire(50);
    m_doc->m_nDisplay = 1;
    PickWithinPixels(1.5f);
    const QPoint pixel = SamplePixel(20);
    Click(pixel);
    QCOMPARE(View()->m_bClickFound, 1);
    QCOMPARE(m_app->m_fRefX, m_doc->m_fMultX * m_doc->m_fT[20][0]);
    QCOMPARE(m_app->m_fRefY, m_doc->m_fMultY * m_doc->m_fT[20][1]);
    QCOMPARE(int(View()->m_nSelRow), 20);
    QCOMPARE(Readout(), QStringLiteral("dx:   0.000, dy:   0.000"));
    QCOMPARE(int(m_app->m_nMarkX), pixel.x());
}

void TestMainFrame::arrowsWrapThroughMPoints_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("50 samples") << 50;
    QTest::newRow("the whole table") << 5000;
}

// From row 0 the left arrow goes to row m_nPoints, which holds no sample:
// the readout does not move. Once more, and the last sample is read.
void TestMainFrame::arrowsWrapThroughMPoints() {
    QFETCH(int, rows);
    Acquire(rows);
    m_doc->m_nDisplay = 1;
    PickWithinPixels(1.5f);
    Click(SamplePixel(0));
    QCOMPARE(int(View()->m_nSelRow), 0);
    const QString atZero = Readout();

    QTest::keyClick(View(), Qt::Key_Left);
    QCOMPARE(int(View()->m_nSelRow), rows);
    m_frame->UpdateStatusPanes();
    QCOMPARE(Readout(), atZero);

    QTest::keyClick(View(), Qt::Key_Left);
    QCOMPARE(int(View()->m_nSelRow), rows - 1);
    QCOMPARE(m_app->m_fRefX, m_doc->m_fMultX * m_doc->m_fT[rows - 1][0]);
    QCOMPARE(m_app->m_fMouseY, m_doc->m_fMultY * m_doc->m_fT[rows - 1][1]);

    QTest::keyClick(View(), Qt::Key_Right);
    QTest::keyClick(View(), Qt::Key_Right);
    QCOMPARE(int(View()->m_nSelRow), 0);
    QCOMPARE(m_app->m_fRefX, 0.0f);
}

void TestMainFrame::rectangleGoesToTheOpenTools_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("top-left to bottom-right") << QPoint(100, 80) << QPoint(300, 250);
    QTest::newRow("bottom-right to top-left") << QPoint(300, 250) << QPoint(100, 80);
}

// While the zoom or the extraction dialog is open, a drag draws the tracker
// rectangle and both open tools get its corners in shown units; the
// reference point stays.
void TestMainFrame::rectangleGoesToTheOpenTools() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    Acquire(50);
    m_doc->m_nDisplay = 1;
    m_doc->m_bZoomOpen = 1;
    m_doc->m_bExtractOpen = 1;
    RecordingRectangleTool zoom, extraction;
    View()->m_pZoomDlg = &zoom;
    View()->m_pExtractDlg = &extraction;
    View()->repaint();

    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(View(), (from + to) / 2);
    QTest::mouseMove(View(), to);
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, to);

    QCOMPARE(m_doc->m_tracker, QRect(QPoint(100, 80), QPoint(300, 250)));
    QCOMPARE(zoom.calls, 1);
    QCOMPARE(extraction.calls, 1);
    const FloatPoint topLeft = Coords().PixelToShown(100, 80);
    const FloatPoint bottomRight = Coords().PixelToShown(300, 250);
    QCOMPARE(zoom.corners, QList<float>({topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}));
    QCOMPARE(extraction.corners, zoom.corners);
    QVERIFY(!m_app->HasReference());
    QCOMPARE(int(m_app->m_nRefPixelX), from.x());

    // Dragging from inside moves the rectangle.
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QTest::mouseMove(View(), QPoint(210, 160));
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(210, 160));
    QCOMPARE(m_doc->m_tracker, QRect(QPoint(110, 90), QPoint(310, 260)));
    QCOMPARE(zoom.calls, 2);
}

void TestMainFrame::handlesResize_data() {
    QTest::addColumn<QPoint>("handle");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");
    // The rectangle runs from (100, 80) to (300, 250); its middle is (200, 165).
    QTest::newRow("left middle: the left side only")
        << QPoint(100, 165) << QPoint(60, 200) << QRect(QPoint(60, 80), QPoint(300, 250));
    QTest::newRow("right middle: the right side only")
        << QPoint(300, 165) << QPoint(350, 120) << QRect(QPoint(100, 80), QPoint(350, 250));
    QTest::newRow("top middle: the top only")
        << QPoint(200, 80) << QPoint(150, 40) << QRect(QPoint(100, 40), QPoint(300, 250));
    QTest::newRow("bottom middle: the bottom only")
        << QPoint(200, 250) << QPoint(260, 300) << QRect(QPoint(100, 80), QPoint(300, 300));
    QTest::newRow("bottom-right corner: both")
        << QPoint(300, 250) << QPoint(320, 270) << QRect(QPoint(100, 80), QPoint(320, 270));
    QTest::newRow("top-left corner past the opposite one")
        << QPoint(100, 80) << QPoint(350, 300) << QRect(QPoint(300, 250), QPoint(350, 300));
}

// Dragging a handle of the rubber band moves the sides it sits on; the
// others stay.
void TestMainFrame::handlesResize() {
    QFETCH(QPoint, handle);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    Acquire(50);
    m_doc->m_nDisplay = 1;
    m_doc->m_bExtractOpen = 1;
    RecordingRectangleTool extraction;
    View()->m_pExtractDlg = &extraction;
    m_doc->m_tracker = QRect(QPoint(100, 80), QPoint(300, 250));
    View()->repaint();
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, handle);
    QTest::mouseMove(View(), (handle + to) / 2);
    QTest::mouseMove(View(), to);
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(m_doc->m_tracker, expected);
    QCOMPARE(extraction.calls, 1);
}

void TestMainFrame::regressionPickingTakesTheClick() {
    Acquire(50);
    m_doc->m_nDisplay = 1;
    m_doc->m_bRegressionOpen = 1;
    RecordingPicker picker;
    View()->m_pRegressionDlg = &picker;
    PickWithinPixels(1.5f);

    // No point awaited: the click does nothing.
    Click(SamplePixel(7));
    QCOMPARE(picker.calls, 0);

    m_doc->m_pRegressions->m_nSlot = 1;
    m_doc->m_pRegressions->m_nPicking[1] = 2;
    Click(SamplePixel(7));
    QCOMPARE(picker.calls, 1);
    QVERIFY(picker.found);
    QCOMPARE(picker.row, 7);
    QCOMPARE(View()->m_bClickFound, 1);
    QVERIFY(!m_app->HasReference()); // picking leaves the cursor alone
}

// Choosing extraction twice opens one dialog; its item stays checked until it
// closes, and while open it takes the rectangle as its zone.
void TestMainFrame::extractionOpensOnce() {
    Acquire(50);
    m_doc->m_nDisplay = 1;
    m_frame->UpdateCommandUi();
    QAction* extract = m_frame->Action(kCmdExtract);
    QVERIFY(extract->isEnabled());
    extract->trigger();
    extract->trigger();
    const QList<CExtractDlg*> dialogs = View()->findChildren<CExtractDlg*>();
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(extract->isChecked());
    QCOMPARE(m_doc->m_bExtractOpen, 1);
    QVERIFY(View()->m_pExtractDlg);

    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    QTest::mouseMove(View(), QPoint(250, 200));
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 200));
    QVERIFY2(dialogs[0]->m_strMessage.startsWith(QStringLiteral("Limites:")),
             qPrintable(dialogs[0]->m_strMessage));

    dialogs[0]->close();
    QTRY_VERIFY(View()->findChildren<CExtractDlg*>().isEmpty());
    QVERIFY(!extract->isChecked());
    QCOMPARE(m_doc->m_bExtractOpen, 0);
    QVERIFY(!View()->m_pExtractDlg);
}

// The whole road from the menu: a scan decoded step by step names the window
// after its code until a file does.
void TestMainFrame::analysisFromTheMenuNamesTheWindow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.cod"));
    {
        CZbApp otherApp;
        CZbDoc other(&otherApp);
        ScanParameters parameters;
        parameters.samplePeriod = parameters.moduleTime / 16;
        WriteScan(other, MakeCodeScan(QStringLiteral("4006381333931"), parameters));
        QString error;
        QVERIFY2(other.Save(path, &error), qPrintable(error));
    }
    QVERIFY(m_frame->OpenDocumentFile(path));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("scan.cod - Lineatix"));
    View()->repaint(); // T and E are proposed in the units the graph shows
    m_frame->UpdateCommandUi();
    QAction* analyse = m_frame->Action(kCmdAnalyse);
    QVERIFY(analyse->isEnabled());
    auto analyseFromTheMenu = [analyse] {
        OnNextDialog([](QWidget* dialog) {
            for (const char* step : {"&Générer fronts", "&Confirmer T&&E", "&Analyser code"})
                QVERIFY2(ClickButton(dialog, QString::fromUtf8(step)), step);
            QVERIFY(ClickButton(dialog, QStringLiteral("&Fermer")));
        });
        analyse->trigger();
    };
    analyseFromTheMenu();
    QCOMPARE(m_doc->m_strCode, QStringLiteral("4006381333931"));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("4006381333931.cod - Lineatix"));

    // Saving gives the title back to the file, as opening and Ctrl+N do.
    const QString saved = dir.filePath(QStringLiteral("lu.cod"));
    QVERIFY(m_frame->SaveDocumentFile(saved));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("lu.cod - Lineatix"));

    // The same code decoded again names the window again, though it is the
    // name it had before.
    QVERIFY(m_frame->OpenDocumentFile(path));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("scan.cod - Lineatix"));
    analyseFromTheMenu();
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("4006381333931.cod - Lineatix"));

    // The code is not the document's file name: Ctrl+N gives back Sansnom.
    QCOMPARE(m_doc->m_strFileName, QStringLiteral("SansNom.cod"));
    m_frame->Action(kCmdFileNew)->trigger(); // Ctrl+N
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Sansnom - Lineatix"));
}

// Only CH1 holds data: Voie 1 and Fronts can be ticked, the others not.
void TestMainFrame::displayDialog() {
    Acquire(10);
    m_doc->m_pRegressions->m_bComputed[0] = 1;
    OnNextDialog([](QWidget* dialog) {
        QVERIFY(qobject_cast<CDisplayDlg*>(dialog));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Sélection du type de visualisation"));
        auto box = [dialog](const char* name) {
            return dialog->findChild<QCheckBox*>(QLatin1String(name));
        };
        for (const char* name : {"voie1", "voie2", "ref1", "ref2", "math", "fronts"}) {
            QVERIFY(!box(name)->isEnabled());
            QVERIFY(!box(name)->isChecked());
        }
        QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("graph")),
                          Qt::LeftButton);
        QVERIFY(box("voie1")->isEnabled());
        QVERIFY(box("fronts")->isEnabled());
        for (const char* name : {"voie2", "ref1", "ref2", "math"})
            QVERIFY(!box(name)->isEnabled());
        if (!box("voie1")->isChecked()) QTest::mouseClick(box("voie1"), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    });
    m_frame->Action(kCmdDisplayType)->trigger();
    QCOMPARE(int(m_doc->m_nDisplay), 1);
    QCOMPARE(m_app->m_fRefX, 0.0f);
    QCOMPARE(m_app->m_fRefY, 0.0f);
    QCOMPARE(m_doc->m_pRegressions->m_bComputed[0], 0);
    QVERIFY(m_frame->Action(kCmdDisplayType)->isEnabled());
}

void TestMainFrame::displayDialogGraphWithNothingShowsCodeSheet() {
    Acquire(10);
    m_doc->m_nDisplay = 1;
    OnNextDialog([](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("graph")),
                          Qt::LeftButton);
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
            if (box->isChecked()) QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    });
    m_frame->Action(kCmdDisplayType)->trigger();
    QCOMPARE(int(m_doc->m_nDisplay), 0);

    // "&Quitter" changes nothing.
    OnNextDialog([](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("image")),
                          Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("quit")), Qt::LeftButton);
    });
    m_frame->Action(kCmdDisplayType)->trigger();
    QCOMPARE(int(m_doc->m_nDisplay), 0);
}

void TestMainFrame::openingAFileResetsTheReference() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("essai.cod"));
    {
        CZbApp otherApp;
        CZbDoc other(&otherApp);
        other.m_strCode = QStringLiteral("4006381333931");
        QString error;
        QVERIFY2(other.Save(path, &error), qPrintable(error));
    }
    m_app->m_fRefX = 1;
    m_app->m_fRefY = 2;
    QVERIFY(m_frame->OpenDocumentFile(path));
    QVERIFY(!m_app->HasReference());
    m_frame->UpdateStatusPanes();
    QCOMPARE(m_frame->CodePane()->text(), QStringLiteral("4006381333931"));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("essai.cod - Lineatix"));
    QCOMPARE(m_frame->RecentFiles(), QStringList(QFileInfo(path).absoluteFilePath()));
    QVERIFY(Readout().startsWith(QStringLiteral("x:")));

    // Ctrl+N keeps the data and gives the document its own name again.
    QTest::keyClick(m_frame.get(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Sansnom - Lineatix"));
    QCOMPARE(m_doc->m_strCode, QStringLiteral("4006381333931"));
}

// A name the document gives itself in m_strFileName (an image read does): the
// title follows at the next idle update, Save As proposes that name and
// Ctrl+N shortens it as it does "SansNom.cod".
void TestMainFrame::titleFollowsTheDocumentName() {
    m_doc->m_strFileName = QStringLiteral("5410673004208.cod");
    QTRY_COMPARE(m_frame->windowTitle(), QStringLiteral("5410673004208.cod - Lineatix"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("essai.cod"));
    OnNextDialog([path](QWidget* dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(chooser);
        QCOMPARE(QFileInfo(chooser->selectedFiles().value(0)).fileName(),
                 QStringLiteral("5410673004208.cod"));
        chooser->selectFile(path);
        static_cast<QDialog*>(chooser)->accept(); // as the "Enregistrer" button does
    });
    m_frame->Action(kCmdFileSaveAs)->trigger();
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("essai.cod - Lineatix"));
    m_frame->FollowDocumentName();
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("essai.cod - Lineatix"));

    m_frame->Action(kCmdFileNew)->trigger(); // Ctrl+N
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("5410673004208 - Lineatix"));
}

void TestMainFrame::droppedFilesOpenAndTheRecentListKeepsFour() {
    QTemporaryDir dir;
    QList<QUrl> urls;
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        const QString path = dir.filePath(QStringLiteral("f%1.cod").arg(i));
        CZbApp otherApp;
        CZbDoc other(&otherApp);
        other.m_strCode = QStringLiteral("400638133393%1").arg(i);
        QString error;
        QVERIFY2(other.Save(path, &error), qPrintable(error));
        urls << QUrl::fromLocalFile(path);
        paths.prepend(QFileInfo(path).absoluteFilePath());
    }
    QMimeData data;
    data.setUrls(urls);
    QVERIFY(m_frame->acceptDrops());
    m_frame->OpenDroppedFiles(data);

    // Each dropped file was opened in turn: the last one stays.
    QCOMPARE(m_doc->m_strCode, QStringLiteral("4006381333935"));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("f5.cod - Lineatix"));
    QCOMPARE(m_frame->RecentFiles(), paths.mid(0, 4));

    // The list survives the window and reopens a file.
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_app);
    QCOMPARE(m_frame->RecentFiles(), paths.mid(0, 4));
    QVERIFY(m_frame->OpenDocumentFile(paths[3]));
    QCOMPARE(m_doc->m_strCode, QStringLiteral("4006381333932"));
    QCOMPARE(m_frame->RecentFiles().first(), paths[3]);
}

// A recent file that is gone is reported and leaves the list.
void TestMainFrame::recentFileThatIsGoneLeavesTheList() {
    QTemporaryDir dir;
    QStringList paths;
    for (const char* name : {"kept.cod", "gone.cod"}) {
        paths << QFileInfo(dir.filePath(QLatin1String(name))).absoluteFilePath();
        QVERIFY(m_frame->SaveDocumentFile(paths.last()));
    }
    QVERIFY(QFile::remove(paths[1]));
    QMenu* recent = nullptr;
    for (QMenu* menu : m_frame->menuBar()->findChildren<QMenu*>())
        if (menu->title() == QStringLiteral("&Fichiers récents")) recent = menu;
    QVERIFY(recent);
    QCOMPARE(recent->actions().size(), 2);
    QString reported;
    OnNextDialog([&reported](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        reported = box->text();
        box->accept();
    });
    recent->actions().first()->trigger(); // the latest: gone.cod
    QVERIFY(!reported.isEmpty());
    QCOMPARE(m_frame->RecentFiles(), QStringList{paths[0]});
    QCOMPARE(recent->actions().size(), 1);
    QVERIFY(recent->actions().first()->text().endsWith(QDir::toNativeSeparators(paths[0])));
}

// A right click in the code sheet: the menu pops up where the click was, its
// legend item grey; resetting the cursor clears the reference point and pixel.
void TestMainFrame::contextMenu() {
    m_app->m_fRefX = 3;
    m_app->m_fRefY = 4;
    m_app->m_nRefPixelX = 5;
    const QPoint pixel(120, 90);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pixel, View()->mapToGlobal(pixel));
    QApplication::sendEvent(View(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(View()->m_nMenuX, pixel.x());
    QCOMPARE(View()->m_nMenuY, pixel.y());
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("&Initialiser curseur souris"));
    QCOMPARE(items[1]->text(), QStringLiteral("&Définir légende..."));
    QVERIFY(!items[1]->isEnabled());
    items[0]->trigger();
    menu->close();
    QVERIFY(!m_app->HasReference());
    QCOMPARE(int(m_app->m_nRefPixelX), 0);
}

void TestMainFrame::previewClearsTheReference_data() {
    QTest::addColumn<int>("display");
    QTest::newRow("code sheet") << 0;
    QTest::newRow("graph") << 1;
}

// Printing or previewing takes the cursor point off the page and the readout
// back to absolute values.
void TestMainFrame::previewClearsTheReference() {
    QFETCH(int, display);
    Acquire(50);
    m_doc->m_nDisplay = static_cast<std::int16_t>(display);
    m_app->m_fRefX = 1;
    m_app->m_fRefY = 2;
    m_frame->UpdateStatusPanes();
    QVERIFY(Readout().startsWith(QStringLiteral("dx:")));
    OnNextDialog([](QWidget* dialog) { dialog->close(); });
    m_frame->Action(kCmdPrintPreview)->trigger();
    m_frame->UpdateStatusPanes();
    QVERIFY2(Readout().startsWith(QStringLiteral("x:")), qPrintable(Readout()));
}

void TestMainFrame::aboutBoxHistory() {
    OnNextDialog([](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("A propos du logiciel"));
        auto* history = dialog->findChild<QComboBox*>(QStringLiteral("history"));
        QCOMPARE(history->count(), 19);
        QCOMPARE(history->currentText(),
                 QStringLiteral("05/10/06: Modification acquisition GW Instek"));
        QCOMPARE(history->itemText(18), QStringLiteral("14/01/02: Ecriture logiciel"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    m_frame->Action(kCmdAbout)->trigger();
    QVERIFY(!QApplication::activeModalWidget());
}

// The print, preview and file windows are Qt's own: with its French
// translation their buttons read in French.
void TestMainFrame::qtOwnTextsInFrench() {
    QVERIFY(InstallQtFrench(*qApp));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Close);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annuler"));
    QCOMPARE(buttons.button(QDialogButtonBox::Close)->text(), QStringLiteral("Fermer"));
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
