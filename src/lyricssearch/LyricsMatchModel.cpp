#include "lyricssearch/LyricsMatchModel.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// Rows read at a time as the list is scrolled.
constexpr size_t kRowsFetched = 50;
} // namespace

void LyricsMatchModel::setMatches(std::vector<LyricsMatch> found, std::vector<QString> rest, Filler fill)
{
    beginResetModel();
    matches = std::move(found);
    unfilled = std::move(rest);
    filler = std::move(fill);
    if (!filler)
        unfilled.clear();
    endResetModel();
}

bool LyricsMatchModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !unfilled.empty();
}

void LyricsMatchModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const size_t n = std::min(kRowsFetched, unfilled.size());
    const std::vector<QString> keys(unfilled.begin(), unfilled.begin() + std::ptrdiff_t(n));
    unfilled.erase(unfilled.begin(), unfilled.begin() + std::ptrdiff_t(n));
    std::vector<LyricsMatch> rows = filler(keys);
    if (rows.empty())
        return;
    const int first = int(matches.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    for (LyricsMatch &row : rows)
        matches.push_back(std::move(row));
    endInsertRows();
}

void LyricsMatchModel::removeRow(int row)
{
    if (row < 0 || row >= int(matches.size()))
        return;
    beginRemoveRows({}, row, row);
    matches.erase(matches.begin() + row);
    endRemoveRows();
}

const LyricsMatch *LyricsMatchModel::matchAt(int row) const
{
    return row >= 0 && row < int(matches.size()) ? &matches[size_t(row)] : nullptr;
}

int LyricsMatchModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(matches.size());
}

QVariant LyricsMatchModel::data(const QModelIndex &index, int role) const
{
    const LyricsMatch *m = index.isValid() ? matchAt(index.row()) : nullptr;
    if (!m)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        // Plain text: what a screen reader reads and what is copied.
        return m->LineText.isEmpty() ? m->Title : m->Title + u": "_s + m->LineText;
    case Qt::ToolTipRole:
        return m->LineText.isEmpty() ? m->Title : m->LineText;
    case KeyRole:
        return m->Key;
    case LineRole:
        return m->Line;
    case HtmlRole:
        return htmlWithBold(m->Title, m->TitleSpans) + u"<br>"_s + htmlWithBold(m->LineText, m->LineSpans);
    default:
        return {};
    }
}
