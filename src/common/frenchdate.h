#pragma once

#include <QDateTime>
#include <QString>

// "%A, %d %B %Y - %H:%M:%S" with French day and month names, from tables so
// that no installed locale is needed: "jeudi, 10 décembre 2026 - 03:24:49".
QString FrenchDateTime(const QDateTime& when);

// The same for the current local time.
QString FrenchDateTimeNow();
