#include "support/FakePlatform.h"

#include "platform/DesktopTrash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The real trash, only when it is the test's own and the file would go
// into it: never the user's, never a trash at the top of a file system.
void requireTestsOwnTrash(const QString &path)
{
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    const bool own = !dataHome.isEmpty()
                     && QDir::cleanPath(DesktopTrash::homeFolder()) == QDir::cleanPath(dataHome) + u"/Trash"_s
                     && (path.isEmpty() || DesktopTrash::usesHomeTrash(path));
    if (!own)
        qFatal("FakePlatform: %s would go to a trash that is not the test's own; set XDG_DATA_HOME "
               "to a folder on the same file system as the home folder and the test's files, before "
               "anything uses it, or script the answer",
               qPrintable(path));
}

} // namespace

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

QString FakePlatform::chooseFolder(const QString &title, const QString &)
{
    log(u"choose folder "_s + title);
    return chosenFolder;
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

TrashResult FakePlatform::moveToTrash(const QString &path)
{
    log(u"trash "_s + path);
    if (!trashResults.isEmpty())
        return trashResults.takeFirst();
    if (const QFileInfo file(path); file.exists() || file.isSymLink())
        requireTestsOwnTrash(path);
    return DesktopTrash::moveToTrash(path);
}

QStringList FakePlatform::trashedFilesFrom(const QString &libraryFolder)
{
    log(u"trashed from "_s + libraryFolder);
    requireTestsOwnTrash({});
    return DesktopTrash::trashedFrom(libraryFolder);
}

RestoreResult FakePlatform::restoreFromTrash(const QString &originalPath)
{
    log(u"restore "_s + originalPath);
    if (!restoreResults.isEmpty())
        return restoreResults.takeFirst();
    requireTestsOwnTrash({});
    return DesktopTrash::restore(originalPath);
}
