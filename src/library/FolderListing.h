#pragma once

// One pass over a letter folder of the cache: the song files it holds and
// whether each has its timestamp file beside it, from a single directory
// read and no look-up per file.

#include "library/TextArena.h"

#include <QString>
#include <QStringList>

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <sys/types.h>

struct FolderListing
{
    struct Song
    {
        // The file name; the key prefix given to the lister stands right
        // before it, kept the same way.
        NodeText Name;
        bool HasTimestamps = false;
        // Only when asked for: the file's size and modification time (ns).
        qint64 Size = -1;
        qint64 ModifiedNs = 0;

        // The prefix and the name, in one piece.
        NodeText key(qsizetype prefixLength) const { return Name.withCharactersBefore(prefixLength); }
    };
    // Visible regular files ending in ".txt" (any letter case), sorted by
    // name the way the downloader's platform lists them: ignoring case first.
    std::vector<Song> Songs;
    // False when the folder could not be opened, or its listing failed
    // part-way: Songs is then empty, never a part of the folder.
    bool Readable = false;

    QStringList names() const;

    // Where the names are kept when the caller gave no arena.
    std::unique_ptr<TextArena> ownNames;
};

// A folder's entries as the system lists them (getdents64), read ahead of
// the lister by FolderReadAhead.
struct FolderEntries
{
    int dir = -1;          // the open folder, until the lister is done with it; -1: not opened
    bool complete = false; // false: the listing failed part-way
    std::vector<char> bytes;
};

// Opens the folder and reads all its entries; false when either fails.
bool readFolderEntries(const QByteArray &folder, FolderEntries &into);

// Reads the entries of folders on a thread of its own, a folder or two
// ahead of the one that takes them, so that the system's part of a listing
// (the directory read) and the program's (decoding, sorting, keeping the
// names) run side by side. Reads them in the order given; take() returns
// them in that order.
class FolderReadAhead
{
public:
    explicit FolderReadAhead(const QStringList &folders);
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    // The next folder's entries, waiting for them if they are not read yet.
    // Call it once per folder given.
    FolderEntries take();
    // Entries listed: the folder is closed, the buffer read into again.
    void giveBack(FolderEntries &&entries);

private:
    static constexpr size_t Ahead = 2;
    void readAll();

    std::vector<QByteArray> paths;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<FolderEntries> ready;
    std::vector<std::vector<char>> spare;
    bool stopping = false;
    std::thread reader;
};

// Lists letter folders one after the other, keeping its working buffers
// from one folder to the next: a scan of 26 folders makes them once.
class FolderLister
{
public:
    // The folder's songs, valid until the next list(). Each name is kept in
    // names right after keyPrefix, so that prefix and name make the song's
    // key in one piece. withStamps: also the size and modification time of
    // every song file, from the same pass (a look-up relative to the open
    // folder, not a path per file).
    const FolderListing &list(const QString &folder, TextArena &names, QStringView keyPrefix,
                              bool withStamps = false);
    // The same from entries read ahead (without stamps); closes the folder.
    const FolderListing &list(FolderEntries &entries, TextArena &names, QStringView keyPrefix);

private:
    struct Name
    {
        // The name stands at decoded[at]; lower-cased, it starts at
        // folded[foldedAt] when it is all ASCII (-1 otherwise).
        qsizetype at;
        qsizetype length;
        qsizetype foldedAt;
        bool hasTimestamps;
        // Only when stamps are asked for.
        qint64 size;
        qint64 modifiedNs;
    };
    // What the sort moves around: small, and mostly all it looks at.
    struct SortItem
    {
        // The first 8 characters lower-cased, big-endian, when they are
        // ASCII (prefixValid).
        quint64 prefix;
        quint32 name; // in names
        bool prefixValid;
    };
    void start(bool withFileStamps);
    void addEntries(int dir, const char *bytes, ssize_t filled);
    const FolderListing &finish(TextArena &names, QStringView keyPrefix);
    void addEntry(int dir, const struct dirent64 *entry);
    void addSong(qsizetype at, qsizetype length, qsizetype foldedAt, const struct stat *st);
    void sortSongs();
    void findTimestamps();
    // The sorted names kept in names, in their order.
    void keepSongs(TextArena &names, QStringView keyPrefix);

    FolderListing listing;
    bool withStamps = false;
    std::vector<char> dirEntries;
    TextArena stampNames{TextArena::Use::Scratch};
    struct Stamp
    {
        quint64 hash; // of the name without its last three characters
        QStringView name;
    };
    std::vector<Stamp> stamps;
    std::vector<quint32> stampTable; // 1 + the place in stamps; 0 for none
    // This folder's song names, until they are sorted and kept.
    std::vector<char16_t> decoded;
    std::vector<char> folded;
    std::vector<Name> songNames;
    std::vector<SortItem> items;
};

// Whether file name a stands before b in a listing: ignoring case first,
// then as written.
bool listedBefore(QStringView a, QStringView b);
bool listedBefore(NodeText a, NodeText b);

// One folder, its names kept in the listing.
FolderListing listLetterFolder(const QString &folder, bool withStamps = false);
