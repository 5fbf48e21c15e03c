#pragma once

// A quiet platform for benchmarks: no registry, no settings, no dialogs,
// no trash.

#include "platform/Platform.h"

#include <QCoreApplication>

class BenchPlatform : public Platform
{
public:
    QString downloaderInstallFolder() override { return {}; }
    QStringList downloaderSearchPlaces() override { return {}; }
    QString nativePath(const QString &path) override { return path; }
    QString readSetting(const QString &, const QString &, const QString &, const QString &fallback) override
    {
        return fallback;
    }
    void writeSetting(const QString &, const QString &, const QString &, const QString &) override {}
    bool openUrl(const QUrl &) override { return true; }
    MessageAnswer showMessage(const QString &, const QString &, MessageIcon, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
    void beep() override {}
    QString programFolder() override { return {}; }
    QString programName() override { return QStringLiteral("bench"); }
    QString userDataFolder() override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
    QDateTime currentDateTime() override { return QDateTime::currentDateTime(); }
    std::optional<quint16> windowsVersionWord() override { return std::nullopt; }
    bool initCommonControls() override { return true; }
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    TrashResult moveToTrash(const QString &) override { return {TrashResult::Failed, {}}; }
    RestoreResult restoreFromTrash(const QString &) override { return {RestoreResult::NotInTrash, {}}; }
    QStringList trashedFilesFrom(const QString &) override { return {}; }
};
