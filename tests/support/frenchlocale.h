#pragma once

#include <QByteArray>
#include <QString>

// The lab's PCs run fr_FR.UTF-8, whose numbers take a decimal comma. Tests
// make that locale in a folder of their own with Debian's definitions
// (localedef), never system-wide, and use it through LOCPATH.

// The folder holding fr_FR.UTF-8: LOCPATH when it already holds it (the
// French runs of the suite), otherwise one made once for this program.
// Empty, with the reason in *error, when it cannot be made.
QString FrenchLocaleDir(QString* error = nullptr);

// While it lives: this process formats and reads under fr_FR.UTF-8, as Qt
// leaves a program started on a French desktop, and the programs it starts
// inherit LOCPATH and LC_ALL. Everything is put back at the end.
class CFrenchLocale {
  public:
    CFrenchLocale();
    ~CFrenchLocale();
    CFrenchLocale(const CFrenchLocale&) = delete;
    CFrenchLocale& operator=(const CFrenchLocale&) = delete;

    // False, with the reason, when the locale could not be made or set.
    bool IsActive() const { return m_bActive; }
    QString Error() const { return m_strError; }

  private:
    bool m_bActive = false;
    QString m_strError;
    QByteArray m_previousLocale;
    QByteArray m_previousLocPath, m_previousLcAll;
    bool m_bHadLocPath = false, m_bHadLcAll = false;
};
