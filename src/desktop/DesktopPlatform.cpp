#include "desktop/DesktopPlatform.h"

#include "platform/DesktopTrash.h"
#include "platform/WinePrefixSearch.h"
#include "widgets/StanzaboxStyle.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

DesktopPlatform::DesktopPlatform(WinePrefix winePrefix) : prefix(std::move(winePrefix)) {}

QString DesktopPlatform::downloaderInstallFolder()
{
    const std::optional<QString> value = prefix.machineValue(kDownloaderKey);
    return value ? prefix.toNativePath(*value) : QString();
}

void DesktopPlatform::useDownloaderPrefix(WinePrefix chosen, QStringList places)
{
    prefix = std::move(chosen);
    searchPlaces = std::move(places);
}

QStringList DesktopPlatform::downloaderSearchPlaces()
{
    if (!searchPlaces.isEmpty())
        return searchPlaces;
    return prefix.folder().isEmpty() ? QStringList() : QStringList{prefix.folder()};
}

QString DesktopPlatform::nativePath(const QString &downloaderPath)
{
    return prefix.toNativePath(downloaderPath);
}

QString DesktopPlatform::readSetting(const QString &application, const QString &section,
                                     const QString &key, const QString &defaultValue)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application, application);
    return store.value(section + u'/' + key, defaultValue).toString();
}

void DesktopPlatform::writeSetting(const QString &application, const QString &section,
                                   const QString &key, const QString &value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application, application);
    store.setValue(section + u'/' + key, value);
}

bool DesktopPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

MessageAnswer DesktopPlatform::showMessage(const QString &text, const QString &title,
                                           MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

QString DesktopPlatform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString DesktopPlatform::programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString DesktopPlatform::chooseFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, startFolder);
}

QString DesktopPlatform::userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QDateTime DesktopPlatform::currentDateTime()
{
    return QDateTime::currentDateTime();
}

std::optional<quint16> DesktopPlatform::windowsVersionWord()
{
    return std::nullopt;
}

bool DesktopPlatform::initCommonControls()
{
    // The desktop's style, fitted to the designed sizes of the controls.
    QApplication::setStyle(new StanzaboxStyle);
    return true;
}

TrashResult DesktopPlatform::moveToTrash(const QString &path)
{
    return DesktopTrash::moveToTrash(path);
}

RestoreResult DesktopPlatform::restoreFromTrash(const QString &originalPath)
{
    return DesktopTrash::restore(originalPath);
}

QStringList DesktopPlatform::trashedFilesFrom(const QString &folder)
{
    return DesktopTrash::trashedFrom(folder);
}

void DesktopPlatform::processPendingEvents()
{
    QCoreApplication::processEvents();
}
