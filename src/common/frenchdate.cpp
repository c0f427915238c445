#include "common/frenchdate.h"

#include "common/format.h"

namespace {

// Indexed by QDate::dayOfWeek() - 1 (Monday first).
const char* const kDayNames[7] = {"lundi",    "mardi",  "mercredi", "jeudi",
                                  "vendredi", "samedi", "dimanche"};

// Indexed by QDate::month() - 1.
const char* const kMonthNames[12] = {"janvier",   "février", "mars",     "avril",
                                     "mai",       "juin",    "juillet",  "août",
                                     "septembre", "octobre", "novembre", "décembre"};

} // namespace

QString FrenchDateTime(const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    if (!date.isValid() || !time.isValid()) return QString();
    return Sprintf("%s, %02d %s %d - %02d:%02d:%02d", kDayNames[date.dayOfWeek() - 1], date.day(),
                   kMonthNames[date.month() - 1], date.year(), time.hour(), time.minute(),
                   time.second());
}

QString FrenchDateTimeNow() {
    return FrenchDateTime(QDateTime::currentDateTime());
}
