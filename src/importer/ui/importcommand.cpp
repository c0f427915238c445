#include "importer/ui/importcommand.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>

#include "importer/scopeimport.h"

namespace {

const QString kCaption = QStringLiteral("Logiciel Lineatix");
const QString kFolderKey = QStringLiteral("Import/Dossier");

} // namespace

bool ImportScopeCommand(QWidget* parent, CZbDoc& doc, const ImportUiOptions& options) {
    QFileDialog dialog(parent, QStringLiteral("Importer fichier oscilloscope"),
                       QSettings().value(kFolderKey).toString(),
                       QStringLiteral("Fichiers oscilloscope (*.csv *.txt)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QStringList paths = dialog.selectedFiles();
    QSettings().setValue(kFolderKey, QFileInfo(paths.first()).absolutePath());
    return ImportScopeFiles(parent, doc, paths, options);
}

bool ImportScopeFiles(QWidget* parent, CZbDoc& doc, const QStringList& paths,
                      const ImportUiOptions& options) {
    // The reading runs here, chunk after chunk; between chunks the window
    // answers and "Annuler" is heard.
    QProgressDialog progress(QStringLiteral("Lecture du fichier oscilloscope..."),
                             QStringLiteral("Annuler"), 0, 1000, parent);
    progress.setWindowTitle(kCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(options.showProgressAfterMs);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    ScopeReadOptions read;
    read.chunkLines = options.chunkLines;
    read.progress = [&progress](int permille) {
        progress.setValue(permille);
        QApplication::processEvents();
    };
    read.cancel = [&progress](qint64) { return progress.wasCanceled(); };

    ScopeImport result;
    QString error;
    const ScopeReadStatus status = ImportScopeFiles(paths, read, &result, &error);
    progress.close();
    if (status == ScopeReadStatus::Cancelled) return false;
    if (status == ScopeReadStatus::Failed) {
        QMessageBox::warning(parent, kCaption, error, QMessageBox::Ok);
        return false;
    }
    StoreScopeImport(doc, result);
    if (options.redraw) options.redraw();
    QMessageBox::information(parent, kCaption, ScopeImportMessage(result), QMessageBox::Ok);
    return true;
}
