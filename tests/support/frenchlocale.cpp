#include "frenchlocale.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <memory>
#include <string>

namespace {

const char* const kLocaleName = "fr_FR.UTF-8";

bool HoldsFrench(const QString& dir) {
    return !dir.isEmpty() && QFileInfo(QDir(dir).filePath(QLatin1String(kLocaleName))).isDir();
}

void RestoreVariable(const char* name, bool had, const QByteArray& value) {
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}

} // namespace

QString FrenchLocaleDir(QString* error) {
    const QString given = qEnvironmentVariable("LOCPATH");
    if (HoldsFrench(given)) return given;
    static std::unique_ptr<QTemporaryDir> made;
    if (made && HoldsFrench(made->path())) return made->path();
    made = std::make_unique<QTemporaryDir>();
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("fr_FR"), QStringLiteral("-f"),
                     QStringLiteral("UTF-8"), made->filePath(QLatin1String(kLocaleName))});
    const bool ran = localedef.waitForStarted() && localedef.waitForFinished(60000);
    if (ran && HoldsFrench(made->path())) return made->path();
    if (error)
        *error = QStringLiteral("localedef -i fr_FR -f UTF-8 failed (Debian's locales "
                                "package holds the definitions): ") +
                 QString::fromLocal8Bit(localedef.readAllStandardError());
    made.reset();
    return QString();
}

CFrenchLocale::CFrenchLocale() {
    const QString dir = FrenchLocaleDir(&m_strError);
    if (dir.isEmpty()) return;
    m_bHadLocPath = qEnvironmentVariableIsSet("LOCPATH");
    m_previousLocPath = qgetenv("LOCPATH");
    m_bHadLcAll = qEnvironmentVariableIsSet("LC_ALL");
    m_previousLcAll = qgetenv("LC_ALL");
    m_previousLocale = std::setlocale(LC_ALL, nullptr);
    // glibc reads LOCPATH at each setlocale.
    qputenv("LOCPATH", QFile::encodeName(dir));
    qputenv("LC_ALL", kLocaleName);
    if (!std::setlocale(LC_ALL, kLocaleName)) {
        m_strError = QStringLiteral("setlocale(fr_FR.UTF-8) refused the locale made in ") + dir;
        RestoreVariable("LOCPATH", m_bHadLocPath, m_previousLocPath);
        RestoreVariable("LC_ALL", m_bHadLcAll, m_previousLcAll);
        return;
    }
    if (std::string(std::localeconv()->decimal_point) != ",") {
        m_strError = QStringLiteral("fr_FR.UTF-8 made in %1 has no decimal comma").arg(dir);
        std::setlocale(LC_ALL, m_previousLocale.constData());
        RestoreVariable("LOCPATH", m_bHadLocPath, m_previousLocPath);
        RestoreVariable("LC_ALL", m_bHadLcAll, m_previousLcAll);
        return;
    }
    m_bActive = true;
}

CFrenchLocale::~CFrenchLocale() {
    if (!m_bActive) return;
    std::setlocale(LC_ALL, m_previousLocale.constData());
    RestoreVariable("LOCPATH", m_bHadLocPath, m_previousLocPath);
    RestoreVariable("LC_ALL", m_bHadLcAll, m_previousLcAll);
}
