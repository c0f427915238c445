#include "instruments/serial/monitorstatus.h"

#include "common/format.h"

QString ElapsedText(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return Sprintf("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                   int(seconds % 60));
}

QString ConnectedLine(int portIndex, std::int64_t elapsedSeconds, const QString& linkName) {
    if (!linkName.isEmpty())
        return Sprintf("Connecté à COM%d (", portIndex + 1) + linkName +
               QStringLiteral(") depuis ") + ElapsedText(elapsedSeconds);
    return Sprintf("Connecté à COM%d:9600,8,'N',1 depuis ", portIndex + 1) +
           ElapsedText(elapsedSeconds);
}

QString ConnectionErrorText(int portIndex, const QString& reason) {
    QString text = Sprintf("Erreur de connexion au port COM%d !", portIndex + 1);
    if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
    return text;
}

QString FoldDisplay(const QString& text, int keep) {
    if (text.size() <= keep) return text;
    return QStringLiteral("... ") + text.right(keep);
}
