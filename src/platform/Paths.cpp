#include "platform/Paths.h"

QString joinPath(const QString &folder, const QString &name)
{
    QString base = folder;
    while (base.endsWith(u'/'))
        base.chop(1);
    if (base.isEmpty() && !folder.isEmpty())
        return u'/' + name; // the folder was the root
    return base.isEmpty() ? name : base + u'/' + name;
}
