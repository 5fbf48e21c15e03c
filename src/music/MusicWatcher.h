#pragma once

// Tells when files in the music folders came, went, were renamed or were
// written (a tagger that rewrites a file in place included, which a watch of
// folders by QFileSystemWatcher does not report). One inotify watch per
// folder; the changes are told once the disk has been quiet for a moment.

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

class MusicWatcher : public QObject
{
    Q_OBJECT

public:
    explicit MusicWatcher(QObject *parent = nullptr);
    ~MusicWatcher() override;

    // Watches these folders instead of the ones before; none stops it.
    void watch(const QList<QString> &folders);

    static constexpr int SettleMs = 400;

Q_SIGNALS:
    void changed();

private:
    void drain();

    int fd = -1;
    QSocketNotifier *notifier = nullptr;
    QList<int> watches;
    QTimer settle;
};
