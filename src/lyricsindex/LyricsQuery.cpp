#include "lyricsindex/LyricsQuery.h"

#include "text/Folding.h"

#include <QStringList>

#include <algorithm>

namespace {

// Longer text is cut: nobody remembers a line that long, and the query stays small.
constexpr qsizetype kMaxQueryLength = 1000;
constexpr qsizetype kShortestPrefix = 2;

struct Chunk
{
    QString Raw;
    bool ClosedPhrase = false;
};

std::vector<Chunk> chunksOf(QStringView userText)
{
    QString text = userText.left(kMaxQueryLength).toString();
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    std::vector<Chunk> chunks;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            if (close < 0) {
                chunks.push_back({text.mid(i + 1), false});
                i = n;
            } else {
                chunks.push_back({text.mid(i + 1, close - i - 1), true});
                i = close + 1;
            }
        } else if (c.isSpace()) {
            ++i;
        } else {
            qsizetype j = i;
            while (j < n && !text.at(j).isSpace() && text.at(j) != u'"')
                ++j;
            chunks.push_back({text.mid(i, j - i), false});
            i = j;
        }
    }
    return chunks;
}

// An FTS5 string: in double quotes, a double quote inside doubled. Inside a
// string FTS5 sees nothing but text for its tokenizer.
QString quoted(const QString &raw)
{
    QString s = raw;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

bool wordMatches(QStringView word, const QString &wanted, bool prefix)
{
    return prefix ? word.startsWith(wanted) : word == wanted;
}

// Positions where lines start, for CR LF, LF and CR line ends.
std::vector<qsizetype> lineStarts(QStringView text)
{
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            starts.push_back(i + 1);
        } else if (c == u'\n') {
            starts.push_back(i + 1);
        }
    }
    return starts;
}

struct Found
{
    size_t Term;
    qsizetype Start;
    qsizetype End;
};

std::vector<Found> find(const std::vector<LyricsQuery::Term> &terms, QStringView text)
{
    std::vector<Found> found;
    if (terms.empty())
        return found;
    const FoldedWords words = foldedWords(text);
    const std::vector<FoldedWords::Word> &list = words.List;
    for (size_t t = 0; t < terms.size(); ++t) {
        const LyricsQuery::Term &term = terms[t];
        const size_t k = term.Words.size();
        if (k == 0 || list.size() < k)
            continue;
        for (size_t i = 0; i + k <= list.size(); ++i) {
            bool all = true;
            for (size_t j = 0; j < k && all; ++j)
                all = wordMatches(words.folded(list[i + j]), term.Words[j], term.Prefix && j + 1 == k);
            if (all)
                found.push_back({t, list[i].Start, list[i + k - 1].End});
        }
    }
    return found;
}

} // namespace

LyricsQuery::LyricsQuery(QStringView userText)
{
    std::vector<Chunk> chunks = chunksOf(userText);
    std::erase_if(chunks, [](const Chunk &c) { return foldedWords(c.Raw).List.empty(); });
    QStringList parts;
    for (size_t i = 0; i < chunks.size(); ++i) {
        Chunk &c = chunks[i];
        FoldedWords words = foldedWords(c.Raw);
        bool prefix = false;
        if (i + 1 == chunks.size() && !c.ClosedPhrase) {
            // The word being typed is the start of a word. A first letter
            // starts too many words to be looked up while the user types: it
            // waits for the next, and the other words are looked up meanwhile.
            // A letter after an apostrophe ends a contraction ("don't"): whole.
            const FoldedWords::Word &last = words.List.back();
            const bool startsAWord = words.List.size() == 1 || c.Raw.at(last.Start - 1).isSpace();
            if (last.FoldedLength < kShortestPrefix && startsAWord) {
                if (words.List.size() == 1)
                    continue;
                c.Raw.truncate(last.Start);
                words.List.pop_back();
            } else {
                prefix = last.FoldedLength >= kShortestPrefix;
            }
        }
        parts << quoted(c.Raw) + (prefix ? QStringLiteral("*") : QString());
        Term term;
        for (size_t w = 0; w < words.List.size(); ++w)
            term.Words.push_back(words.foldedCopy(w));
        term.Prefix = prefix;
        termList.push_back(std::move(term));
    }
    expression = parts.join(u' ');
}

std::vector<TextSpan> LyricsQuery::occurrences(QStringView text) const
{
    std::vector<TextSpan> spans;
    for (const Found &f : find(termList, text))
        spans.push_back({f.Start, f.End - f.Start});
    std::sort(spans.begin(), spans.end(), [](const TextSpan &a, const TextSpan &b) { return a.Start < b.Start; });
    return spans;
}

LyricsQuery::Line LyricsQuery::bestLine(QStringView text) const
{
    Line best;
    const std::vector<Found> found = find(termList, text);
    if (found.empty())
        return best;
    const std::vector<qsizetype> starts = lineStarts(text);
    auto lineOf = [&](qsizetype position) {
        return size_t(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) - 1;
    };
    // Distinct terms per line, for the lines that have any.
    std::vector<std::pair<size_t, size_t>> lineTerm; // (line, term)
    lineTerm.reserve(found.size());
    for (const Found &f : found)
        lineTerm.emplace_back(lineOf(f.Start), f.Term);
    std::sort(lineTerm.begin(), lineTerm.end());
    lineTerm.erase(std::unique(lineTerm.begin(), lineTerm.end()), lineTerm.end());
    size_t bestLine = 0;
    size_t bestCount = 0;
    for (size_t i = 0; i < lineTerm.size();) {
        size_t j = i;
        while (j < lineTerm.size() && lineTerm[j].first == lineTerm[i].first)
            ++j;
        if (j - i > bestCount) {
            bestCount = j - i;
            bestLine = lineTerm[i].first;
        }
        i = j;
    }
    best.Number = int(bestLine) + 1;
    best.Start = starts[bestLine];
    qsizetype end = bestLine + 1 < starts.size() ? starts[bestLine + 1] : text.size();
    while (end > best.Start && (text.at(end - 1) == u'\n' || text.at(end - 1) == u'\r'))
        --end;
    best.End = end;
    for (const Found &f : found) {
        const qsizetype s = std::max(f.Start, best.Start);
        const qsizetype e = std::min(f.End, best.End);
        if (s < e)
            best.Spans.push_back({s - best.Start, e - s});
    }
    std::sort(best.Spans.begin(), best.Spans.end(),
              [](const TextSpan &a, const TextSpan &b) { return a.Start < b.Start; });
    return best;
}
