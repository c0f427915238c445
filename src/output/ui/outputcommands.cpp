#include "output/ui/outputcommands.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "doc/zbdoc.h"
#include "output/imageread.h"
#include "output/spreadsheet.h"

namespace {

const QString kCaption = QStringLiteral("Logiciel Lineatix");

void ShowError(QWidget* parent, const char* text) {
    QMessageBox::warning(parent, kCaption, QString::fromUtf8(text), QMessageBox::Ok);
}

bool ConfirmReplace(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, kCaption,
                    QStringLiteral("Ce fichier existe déjà. Voulez-vous le remplacer ?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

void ExportSpreadsheet(QWidget* parent, CZbDoc& doc) {
    // The replacing question is ours, asked once the name is chosen.
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Enregistrer sous"), QStringLiteral("*.txt"),
        QStringLiteral("Fichiers texte (*.txt);;Tous les fichiers (*.*)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return;
    doc.m_strExportPath = path;
    // Any file there is asked about, even one this user may not read.
    if (QFileInfo::exists(path) && !ConfirmReplace(parent)) return;
    if (!WriteSpreadsheet(doc, doc.m_strExportPath, true))
        ShowError(parent, kSpreadsheetCreateError);
}

bool ReadImage(QWidget* parent, CZbDoc& doc) {
    const QString path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Ouvrir"), QStringLiteral("*.tif;*.jpg"),
        QStringLiteral(
            "Fichiers images (*.tif);;Fichiers images (*.jpg);;Tous les fichiers (*.*)"));
    if (path.isEmpty()) return false;
    if (ReadImageFile(doc, path) != 0) ShowError(parent, kImageReadError);
    return true;
}
