#include "results/SymbolList.h"

#include <QStringList>

QString SymbolList::fromSelection(const QString& selection)
{
    QString rest = selection;
    const qsizetype first = rest.indexOf(u'`');
    if (first >= 0)
        rest = rest.mid(first);
    QString out = QStringLiteral("`$(\"");
    for (const QString& piece : rest.split(u'`', Qt::SkipEmptyParts))
        out += piece + QStringLiteral("\";\"");
    out.chop(2);
    return out + u')';
}
