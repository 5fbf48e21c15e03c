#pragma once

// Handing addresses to the desktop. Text read from downloaded files decides
// some of them, so only web addresses are passed on; anything else, and any
// address the desktop refuses, is reported to the user.

#include <QString>
#include <QUrl>

#include <optional>

class Platform;

// An http:// or https:// address with a host, as a URL; nothing otherwise.
std::optional<QUrl> webAddress(const QString &address);

// Opens a web address in the default browser, or shows "Error opening in
// browser" (title "Error").
void OpenWebPage(Platform &platform, const QString &address);
// Opens a local file with the program the desktop associates with it.
void OpenLocalFile(Platform &platform, const QString &path);

// The vendor's pages, under the base address of the vendor's site.
QString karaokeSearchAddress(const QString &base, const QString &artist, const QString &song);
QString helpAddress(const QString &base);
// A name made safe for a query: spaces as %20; '%', '&', '#' and '+' also
// percent-encoded; every other character as it is.
QString encodeQueryValue(const QString &text);

// The base address stored as VendorSite in the program's settings.
QString vendorSite(Platform &platform);
