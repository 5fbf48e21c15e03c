#pragma once

// Which song of the lyrics cache a music file is: its "Artist - Title"
// against the cache's file names "Artist - Song.txt", compared as keys in
// which letter case, diacritics, spaces and punctuation (the characters
// \ / : * ? " < > | a Windows file name cannot hold among them, which the
// downloader leaves out or replaces) do not count. Only letters and digits
// are compared, folded as "Find in lyrics" folds them.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

// The one folding every match goes through.
QString musicMatchKey(QStringView text);

struct SongMatch
{
    QString SongKey;    // the song's key in the tree ("D/Artist - Song.txt"); empty: none
    int Candidates = 0; // songs whose names give the same key
};

class SongIndex
{
public:
    void clear();
    void reserve(qsizetype songs);
    // A song of the cache by its key in the tree.
    void add(QStringView songKey);
    qsizetype size() const { return songs; }

    // The song for a track's artist and title. Of several that could be
    // it, the one named exactly "Artist - Title" is taken, else the first
    // added.
    SongMatch find(const QString &artist, const QString &title) const;
    // Every song that could be it, first the one find() gives.
    QStringList candidates(const QString &artist, const QString &title) const;

private:
    QHash<QString, QString> first;  // match key -> the first song's key
    QHash<QString, QStringList> more; // match key -> the others, where there are others
    qsizetype songs = 0;
};
