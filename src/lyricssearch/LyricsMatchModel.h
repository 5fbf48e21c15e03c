#pragma once

// The songs a lyrics search found, as rows of a list: "Artist - Song" and the
// line where the words are. Replaced as a whole by each search; the rows a
// search left unfilled are filled as the list is scrolled to them.

#include "lyricsindex/LyricsMatch.h"

#include <QAbstractListModel>

#include <functional>
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

    // Reads the rows of songs found.
    using Filler = std::function<std::vector<LyricsMatch>(const std::vector<QString> &keys)>;
    // The rows, and the songs found after them whose rows fill reads when
    // the view asks for more.
    void setMatches(std::vector<LyricsMatch> matches, std::vector<QString> unfilled = {}, Filler fill = {});
    void removeRow(int row);
    const LyricsMatch *matchAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    std::vector<LyricsMatch> matches;
    std::vector<QString> unfilled;
    Filler filler;
};
