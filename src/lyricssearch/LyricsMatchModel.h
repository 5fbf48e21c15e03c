#pragma once

// The songs a lyrics search found, as rows of a list: "Artist - Song" and the
// line where the words are. Replaced as a whole by each search.

#include "lyricsindex/LyricsMatch.h"

#include <QAbstractListModel>

#include <vector>

class LyricsMatchModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        KeyRole = Qt::UserRole + 1, // QString "X/Artist - Song.txt"
        LineRole,                   // int, from 1; 0 when the words are in the name only
        HtmlRole,                   // the name and the line, words found in bold, escaped
    };

    using QAbstractListModel::QAbstractListModel;

    void setMatches(std::vector<LyricsMatch> matches);
    void removeRow(int row);
    const LyricsMatch *matchAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    std::vector<LyricsMatch> matches;
};
