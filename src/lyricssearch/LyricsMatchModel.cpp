#include "lyricssearch/LyricsMatchModel.h"

using namespace Qt::StringLiterals;

void LyricsMatchModel::setMatches(std::vector<LyricsMatch> found)
{
    beginResetModel();
    matches = std::move(found);
    endResetModel();
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
