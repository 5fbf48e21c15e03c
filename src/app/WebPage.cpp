#include "app/WebPage.h"

#include "platform/Platform.h"

using namespace Qt::StringLiterals;

namespace {

void reportFailure(Platform &platform)
{
    platform.showMessage(u"Error opening in browser"_s, u"Error"_s, MessageIcon::Stop);
}

} // namespace

std::optional<QUrl> webAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

void OpenWebPage(Platform &platform, const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    if (!url || !platform.openUrl(*url))
        reportFailure(platform);
}

void OpenLocalFile(Platform &platform, const QString &path)
{
    if (!platform.openUrl(QUrl::fromLocalFile(path)))
        reportFailure(platform);
}

QString encodeQueryValue(const QString &text)
{
    QString encoded;
    encoded.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u' ': encoded += u"%20"_s; break;
        case u'%': encoded += u"%25"_s; break;
        case u'&': encoded += u"%26"_s; break;
        case u'#': encoded += u"%23"_s; break;
        case u'+': encoded += u"%2B"_s; break;
        default: encoded += c;
        }
    }
    return encoded;
}

QString karaokeSearchAddress(const QString &base, const QString &artist, const QString &song)
{
    return base + u"/wordhive/getkaraoke.php?artist="_s + encodeQueryValue(artist) + u"&song="_s
           + encodeQueryValue(song);
}

QString helpAddress(const QString &base)
{
    return base + u"/wordhive/faq/faq.php?lang=en&list=category&catnr=8&prog=1&onlynewfaq=0"_s;
}

QString vendorSite(Platform &platform)
{
    QString base = platform.readSetting(u"Vesk"_s, u"Config"_s, u"VendorSite"_s,
                                        u"http://www.wordhive.example"_s).trimmed();
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}
