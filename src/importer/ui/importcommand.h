#pragma once

#include <QStringList>
#include <functional>

class QWidget;
class CZbDoc;

// "Importer fichier oscilloscope...": the file dialog (one file, or the two
// files of one save), remembering its folder in the profile, then the import.
// Returns true when the document changed.
struct ImportUiOptions {
    int showProgressAfterMs = 300; // a quick file shows no progress window
    int chunkLines = 65536;        // lines read between two updates of the window
    std::function<void()> redraw;  // once stored, before the message box
};
bool ImportScopeCommand(QWidget* parent, CZbDoc& doc,
                        const ImportUiOptions& options = ImportUiOptions());

// Reads the files under a progress window with "Annuler", then stores them
// and tells what was read in a message box; a failure or a cancelled import
// changes nothing. Returns true when the document changed.
bool ImportScopeFiles(QWidget* parent, CZbDoc& doc, const QStringList& paths,
                      const ImportUiOptions& options = ImportUiOptions());
