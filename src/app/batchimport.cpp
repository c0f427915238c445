// lineatix --import FILE [FILE2] [--save OUT.cod]: the CSV file an
// oscilloscope or a PC tool saved (or the two files of one save) into the
// sample table, as "Importer fichier oscilloscope..." does.

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "importer/scopeimport.h"

namespace {

struct ImportOptions {
    QStringList files;
    QString output;
};

bool ReadOptions(const QStringList& arguments, ImportOptions* options) {
    const OptionRules rules{{QStringLiteral("--save")}, {}, 1, 2};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, rules, &parsed)) return false;
    options->files = parsed.positional;
    options->output = parsed.Value(QStringLiteral("--save"));
    return true;
}

} // namespace

int ImportCommand(const QStringList& arguments) {
    ImportOptions options;
    if (!ReadOptions(arguments, &options)) return -1;
    ScopeImport result;
    QString error;
    if (ImportScopeFiles(options.files, ScopeReadOptions(), &result, &error) !=
        ScopeReadStatus::Read) {
        PrintBatchError(error);
        return 1;
    }
    CZbApp app;
    CZbDoc doc(&app);
    StoreScopeImport(doc, result);
    PrintBatchText(ScopeImportMessage(result));
    return SaveBatchOutput(doc, options.output) ? 0 : 1;
}
