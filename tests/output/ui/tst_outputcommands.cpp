// "Ecrire [.TXT] Excel...", "Lire image..." and the image row of the context
// menu, driven like a user on the real main window: real file choosers and
// message boxes, real mouse moves over the view.
#include <QtTest>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/mainframe.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "imagetools.h"
#include "mainwindowtest.h"
#include "output/spreadsheet.h"
#include "testsupport.h"
#include "view/commandids.h"
#include "view/ui/zbview.h"

namespace {

// Runs steps on the next modal window of type D, polling until it is up:
// the file chooser closes before the message box that follows it opens. The
// poll dies with owner, so a window that never came cannot outlive its test.
template <class D> void WhenShown(QObject* owner, std::function<void(D*)> steps) {
    auto* timer = new QTimer(owner);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, steps] {
        auto* window = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!window && ++*tries < 500) return;
        timer->stop();
        timer->deleteLater();
        if (window) steps(window);
    });
    timer->start(10);
}

// Chooses path in the file chooser, as its accept button does.
void Choose(QFileDialog* chooser, const QString& path) {
    chooser->selectFile(path);
    static_cast<QDialog*>(chooser)->accept();
}

} // namespace

class TestOutputCommands : public CMainWindowTest {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;

    QString Readout() {
        m_frame->UpdateStatusPanes();
        return m_frame->ReadoutPane()->text();
    }
    void Acquire() {
        for (int i = 0; i < 30; ++i) {
            m_doc->m_fT[i][0] = i * 1e-5f;
            m_doc->m_fT[i][1] = (i % 7) * 0.5f;
        }
        m_doc->m_nPoints = 30;
        m_doc->m_nChannels = kChannelCh1;
        m_doc->m_nDisplay = kChannelCh1;
        m_frame->UpdateCommandUi();
    }
    // Runs the export, choosing path; answer is the button for the replace
    // question (none expected when NoButton).
    QString Export(const QString& path, QMessageBox::StandardButton answer) {
        QString question;
        WhenShown<QFileDialog>(
            m_frame.get(), [owner = m_frame.get(), path, answer, &question](QFileDialog* chooser) {
                Choose(chooser, path);
                if (answer == QMessageBox::NoButton) return;
                WhenShown<QMessageBox>(owner, [answer, &question](QMessageBox* box) {
                    question = box->text();
                    QCOMPARE(box->icon(), QMessageBox::NoIcon);
                    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
                    QTest::mouseClick(box->button(answer), Qt::LeftButton);
                });
            });
        m_frame->Action(kCmdExportText)->trigger();
        return question;
    }

    // Runs the command, chooses path and returns the text of the message box
    // that follows, closing it.
    QString MessageAfterChoosing(int command, const QString& path) {
        QString message;
        WhenShown<QFileDialog>(m_frame.get(), [&](QFileDialog* chooser) {
            Choose(chooser, path);
            WhenShown<QMessageBox>(m_frame.get(), [&](QMessageBox* box) {
                message = box->text();
                box->accept();
            });
        });
        m_frame->Action(command)->trigger();
        return message;
    }

  private slots:
    void initTestCase() { UseTestProfile(); }
    void init() { QVERIFY(OpenWindow(QSize(1000, 700))); }
    void cleanup() { CloseWindow(); }

    // The chooser offers the two filters and starts on "*.txt"; a new file is
    // written at once, an existing one only after "Yes".
    void exportAsksBeforeReplacing() {
        Acquire();
        const QString path = m_dir.filePath(QStringLiteral("mesure.txt"));
        QStringList filters;
        QString initial;
        WhenShown<QFileDialog>(m_frame.get(), [&](QFileDialog* chooser) {
            filters = chooser->nameFilters();
            initial = QFileInfo(chooser->selectedFiles().value(0)).fileName();
            Choose(chooser, path);
        });
        QVERIFY(m_frame->Action(kCmdExportText)->isEnabled());
        m_frame->Action(kCmdExportText)->trigger();
        QCOMPARE(filters, QStringList({QStringLiteral("Fichiers texte (*.txt)"),
                                       QStringLiteral("Tous les fichiers (*.*)")}));
        QCOMPARE(initial, QStringLiteral("*.txt"));
        QCOMPARE(m_doc->m_strExportPath, path);
        QCOMPARE(ReadFileBytes(path), SpreadsheetText(*m_doc, true));

        // "No": nothing written, but the path is kept.
        m_doc->m_nDisplay = kChannelCh1 | kChannelEdges;
        m_doc->m_strExportPath.clear();
        QCOMPARE(Export(path, QMessageBox::No),
                 QStringLiteral("Ce fichier existe déjà. Voulez-vous le remplacer ?"));
        QCOMPARE(m_doc->m_strExportPath, path);
        QVERIFY(ReadFileBytes(path) != SpreadsheetText(*m_doc, true));
        Export(path, QMessageBox::Yes);
        QCOMPARE(ReadFileBytes(path), SpreadsheetText(*m_doc, true));

        // Cancel: the path stays what it was.
        WhenShown<QFileDialog>(m_frame.get(), [](QFileDialog* chooser) { chooser->reject(); });
        m_doc->m_strExportPath = QStringLiteral("avant.txt");
        m_frame->Action(kCmdExportText)->trigger();
        QCOMPARE(m_doc->m_strExportPath, QStringLiteral("avant.txt"));
    }

    void exportCreationError() {
        Acquire();
        const QString path = m_dir.filePath(QStringLiteral("absent/mesure.txt"));
        QCOMPARE(MessageAfterChoosing(kCmdExportText, path),
                 QStringLiteral("Erreur d'ouverture du fichier en mode création !"));
        QVERIFY(!QFile::exists(path));
    }

    // A zint drawing read through the menu: image mode, the lower-cased path
    // as title, the readout following the mouse and a click as reference.
    void readImageAndProbeIt() {
        const QString image = MakeZintEan13(m_dir.filePath(QStringLiteral("Code.TIF")),
                                            QStringLiteral("541067300420"), 2);
        QVERIFY(!image.isEmpty());
        QStringList filters;
        WhenShown<QFileDialog>(m_frame.get(), [&](QFileDialog* chooser) {
            filters = chooser->nameFilters();
            Choose(chooser, image);
        });
        m_frame->Action(kCmdReadImage)->trigger();
        QCOMPARE(filters, QStringList({QStringLiteral("Fichiers images (*.tif)"),
                                       QStringLiteral("Fichiers images (*.jpg)"),
                                       QStringLiteral("Tous les fichiers (*.*)")}));
        QCOMPARE(int(m_doc->m_nDisplay), 32);
        QTRY_COMPARE(m_frame->windowTitle(), image.toLower() + QStringLiteral(" - Lineatix"));

        // zint's quiet zone is white; its first bar is black.
        CZbView* view = m_frame->View();
        QTest::mouseMove(view, QPoint(3, 10));
        QCOMPARE(Readout(), QStringLiteral("X:3, Y:10, W:255"));
        int bar = 0;
        while (bar < m_doc->m_nImageWidth && m_doc->m_pImage->Pixel(bar, 10) != 0)
            ++bar;
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(bar, 10));
        QTest::mouseMove(view, QPoint(3, 12));
        QCOMPARE(Readout(), QStringLiteral("dX:%1, dY:2, dW:255").arg(3 - bar));
        QTest::mouseMove(view, QPoint(m_doc->m_nImageWidth, 12));
        QCOMPARE(Readout(), QString());

        // The context menu writes the reference pixel's row into CH1.
        const QPoint at(40, 40);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 3);
        QAction* row = menu->actions().last();
        QCOMPARE(row->text(), QStringLiteral("&Ligne de l'image vers la voie 1"));
        QVERIFY(row->isEnabled());
        row->trigger();
        menu->close();
        QCOMPARE(int(m_doc->m_nDisplay), 1);
        // Sampled finer than the pixels, as the table's rows allow.
        const int width = m_doc->m_nImageWidth;
        const int perPixel = (5000 - 1) / (width - 1);
        QCOMPARE(int(m_doc->m_nPoints), (width - 1) * perPixel + 1);
        QCOMPARE(m_doc->m_fT[bar * perPixel][0], float(bar));
        QCOMPARE(m_doc->m_fT[bar * perPixel][1], 5.0f);
        QCOMPARE(m_doc->m_fT[0][1], 0.0f);
        QCOMPARE(m_doc->m_astrLegend.value(0),
                 QStringLiteral("IMAGE Code.TIF - LIGNE 10 - %1 POINTS/PIXEL").arg(perPixel));
        QVERIFY(!m_app->HasReference());
        m_frame->UpdateCommandUi();
        QVERIFY(m_frame->Action(kCmdAnalyse)->isEnabled());

        // An analysis names the window after its code; reading the same image
        // again names it after the image once more.
        m_doc->m_strTitle = QStringLiteral("5410673004208.cod");
        QTRY_COMPARE(m_frame->windowTitle(), QStringLiteral("5410673004208.cod - Lineatix"));
        WhenShown<QFileDialog>(m_frame.get(),
                               [&](QFileDialog* chooser) { Choose(chooser, image); });
        m_frame->Action(kCmdReadImage)->trigger();
        QTRY_COMPARE(m_frame->windowTitle(), image.toLower() + QStringLiteral(" - Lineatix"));
    }

    void unreadableImage() {
        const QString path = m_dir.filePath(QStringLiteral("texte.jpg"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("pas une photo");
        }
        QCOMPARE(MessageAfterChoosing(kCmdReadImage, path), QStringLiteral("Erreur de lecture !"));
        QCOMPARE(int(m_doc->m_nDisplay), 32);
        QCOMPARE(int(m_doc->m_nImageWidth), 768); // the white start image stays
        QTest::mouseMove(m_frame->View(), QPoint(10, 20));
        QCOMPARE(Readout(), QStringLiteral("X:10, Y:20, R:255, V:255, B:255"));
        // Outside the image the row command is offered but grey.
        QTest::mouseMove(m_frame->View(), QPoint(10, 600));
        QMenu* menu = m_frame->View()->CreateContextMenu();
        QVERIFY(!menu->actions().last()->isEnabled());
        delete menu;
    }
};

QTEST_MAIN(TestOutputCommands)
#include "tst_outputcommands.moc"
