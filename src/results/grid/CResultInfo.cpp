#include "results/grid/CResultInfo.h"

#include <QDateTime>
#include <QLocale>

QString CResultInfo::receivedNow()
{
    // The C locale keeps the text the same whatever the user's language.
    return QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("dddd, MMMM d, yyyy HH:mm:ss"))
        + QStringLiteral(" GMT");
}
