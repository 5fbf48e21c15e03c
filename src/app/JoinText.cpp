#include "app/JoinText.h"

#include "lists/ListsModel.h"

using namespace Qt::StringLiterals;

QString joinedHeading(const QString &artist, const QString &title)
{
    return u":: "_s + listEntry(artist, title) + u"\r\n"_s + QString(15, u'-') + u"\r\n"_s;
}

QString joinedClosing()
{
    return u"\r\n"_s + QString(25, u'=') + u"\r\n\r\n"_s;
}

QString joinedFileName(int songs, const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return u"%1 Lyrics Joined at %2-%3-%4 %5-%6.txt"_s.arg(songs)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(time.hour())
        .arg(time.minute());
}
