#pragma once

// A Platform for tests: answers from fields the test sets, and records what
// the program asked of it, in order. The trash is the one exception: unless
// the test scripts its answers, files really go to the desktop's trash,
// which must then be the test's own ($XDG_DATA_HOME set before the first use).

#include "platform/Platform.h"

#include <QMap>
#include <QStringList>

#include <functional>

class FakePlatform : public Platform
{
public:
    struct Message
    {
        QString text;
        QString title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    // What the fake answers.
    QString installFolder;
    QStringList searchPlaces{QStringLiteral("/home/user/.wine")};
    QString folder;               // programFolder()
    QString name = QStringLiteral("Stanzabox");
    QString dataFolder;           // userDataFolder()
    QDateTime now{QDate(2005, 4, 7), QTime(9, 5)};
    std::optional<quint16> versionWord;
    bool controlsInitialise = true;
    bool openSucceeds = true;
    QString chosenFolder;         // what the folder chooser answers; empty: cancelled
    QList<MessageAnswer> answers; // taken in order for questions; Ok/No when used up
    QMap<QString, QString> settings; // "application/section/key" -> value
    // Taken in order, touching no file; when used up, the real trash answers.
    QList<TrashResult> trashResults;
    QList<RestoreResult> restoreResults;

    // What the program did.
    QStringList journal;
    QList<Message> messages;
    QList<QUrl> opened;
    int beeps = 0;
    int pendingEventRuns = 0;
    // Called after each journal line, so a test can look at the state then.
    std::function<void(const QString &)> onEvent;

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
    void processPendingEvents() override;
    TrashResult moveToTrash(const QString &path) override;
    RestoreResult restoreFromTrash(const QString &originalPath) override;
    QStringList trashedFilesFrom(const QString &libraryFolder) override;

    static QString settingKey(const QString &application, const QString &section, const QString &key);

private:
    void log(const QString &line);
};
