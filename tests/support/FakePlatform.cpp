#include "support/FakePlatform.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

void FakePlatform::log(const QString &line)
{
    journal.append(line);
    if (onEvent)
        onEvent(line);
}

QString FakePlatform::settingKey(const QString &application, const QString &section,
                                 const QString &key)
{
    return application + u'/' + section + u'/' + key;
}

QString FakePlatform::downloaderInstallFolder()
{
    log(u"registry"_s);
    return installFolder;
}

QStringList FakePlatform::downloaderSearchPlaces()
{
    return searchPlaces;
}

QString FakePlatform::nativePath(const QString &downloaderPath)
{
    QString path = downloaderPath;
    return path.replace(u'\\', u'/');
}

QString FakePlatform::readSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue)
{
    log(u"read "_s + key);
    return settings.value(settingKey(application, section, key), defaultValue);
}

void FakePlatform::writeSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    log(u"write "_s + key);
    settings.insert(settingKey(application, section, key), value);
}

bool FakePlatform::openUrl(const QUrl &url)
{
    log(u"open "_s + url.toString());
    opened.append(url);
    return openSucceeds;
}

MessageAnswer FakePlatform::showMessage(const QString &text, const QString &title,
                                        MessageIcon icon, MessageButtons buttons)
{
    log(u"message "_s + text);
    messages.append({text, title, icon, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answers.isEmpty() ? MessageAnswer::No : answers.takeFirst();
}

void FakePlatform::beep()
{
    log(u"beep"_s);
    ++beeps;
}

QString FakePlatform::programFolder()
{
    return folder;
}

QString FakePlatform::programName()
{
    return name;
}

QString FakePlatform::userDataFolder()
{
    return dataFolder;
}

QDateTime FakePlatform::currentDateTime()
{
    log(u"clock"_s);
    return now;
}

std::optional<quint16> FakePlatform::windowsVersionWord()
{
    log(u"version"_s);
    return versionWord;
}

bool FakePlatform::initCommonControls()
{
    log(u"controls"_s);
    return controlsInitialise;
}

void FakePlatform::processPendingEvents()
{
    log(u"events"_s);
    ++pendingEventRuns;
    QCoreApplication::processEvents();
}
