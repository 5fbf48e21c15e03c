#pragma once

// The Platform of a Linux desktop: the downloader's registry is the Wine
// prefix's, settings live in an INI file, addresses go to the desktop's
// default handlers.

#include "platform/Platform.h"
#include "platform/WinePrefix.h"

class DesktopPlatform : public Platform
{
public:
    explicit DesktopPlatform(WinePrefix prefix = WinePrefix(WinePrefix::defaultFolder()));

    // The prefix chosen before the start-up, and where the choice looked
    // (what downloaderSearchPlaces tells); the prefix's folder when empty.
    void useDownloaderPrefix(WinePrefix chosen, QStringList places);

    QString downloaderInstallFolder() override;
    QStringList downloaderSearchPlaces() override;
    QString nativePath(const QString &downloaderPath) override;
    QString readSetting(const QString &application, const QString &section, const QString &key,
                        const QString &defaultValue) override;
    void writeSetting(const QString &application, const QString &section, const QString &key,
                      const QString &value) override;
    bool openUrl(const QUrl &url) override;
    MessageAnswer showMessage(const QString &text, const QString &title, MessageIcon icon,
                              MessageButtons buttons) override;
    void beep() override;
    QString programFolder() override;
    QString programName() override;
    QString userDataFolder() override;
    QDateTime currentDateTime() override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    std::optional<quint16> windowsVersionWord() override;
    bool initCommonControls() override;
    TrashResult moveToTrash(const QString &path) override;
    RestoreResult restoreFromTrash(const QString &originalPath) override;
    QStringList trashedFilesFrom(const QString &folder) override;
    void processPendingEvents() override;

private:
    WinePrefix prefix;
    QStringList searchPlaces;
};
