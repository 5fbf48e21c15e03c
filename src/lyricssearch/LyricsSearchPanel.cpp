#include "lyricssearch/LyricsSearchPanel.h"

#include "lyricsindex/LyricsEngine.h"
#include "lyricssearch/LyricsMatchDelegate.h"
#include "lyricssearch/LyricsMatchModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Long enough that a fast typist's keys make one search, short enough to
// feel immediate.
constexpr int kTypingPauseMs = 40;

// Numbers as "32,767", whatever the desktop's language: the captions are English.
QString number(int n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

} // namespace

LyricsSearchPanel::LyricsSearchPanel(LyricsEngine &lyricsEngine, QWidget *parent)
    : QWidget(parent)
    , engine(lyricsEngine)
    , txtFind(new QLineEdit(this))
    , lblProgress(new QLabel(this))
    , lblMatches(new QLabel(this))
    , lstMatches(new QListView(this))
    , model(new LyricsMatchModel(this))
    , typing(new QTimer(this))
{
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setAccessibleName(tr("Find in lyrics"));
    txtFind->setPlaceholderText(tr("Find in lyrics"));
    txtFind->setClearButtonEnabled(true);
    // The field's clear button says what it does to a screen reader too.
    for (QToolButton *button : txtFind->findChildren<QToolButton *>())
        button->setAccessibleName(tr("Clear"));
    txtFind->installEventFilter(this);

    lblProgress->setObjectName(QStringLiteral("lblIndexing"));
    lblMatches->setObjectName(QStringLiteral("lblMatches"));
    for (QLabel *label : {lblProgress, lblMatches}) {
        label->setTextFormat(Qt::PlainText);
        // The column is narrow: a long line goes on below, never cut off.
        label->setWordWrap(true);
        label->setVisible(false);
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        label->setFont(small);
    }

    lstMatches->setObjectName(QStringLiteral("lstMatches"));
    lstMatches->setAccessibleName(tr("Lyrics matches"));
    lstMatches->setModel(model);
    lstMatches->setItemDelegate(new LyricsMatchDelegate(lstMatches));
    lstMatches->setUniformItemSizes(true);
    lstMatches->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMatches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstMatches->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(txtFind);
    layout->addWidget(lblProgress);
    layout->addWidget(lblMatches);
    layout->addWidget(lstMatches, 1);
    setFocusProxy(txtFind);

    typing->setSingleShot(true);
    typing->setInterval(kTypingPauseMs);
    connect(typing, &QTimer::timeout, this, &LyricsSearchPanel::runSearch);
    connect(txtFind, &QLineEdit::textChanged, this, [this] { typing->start(); });

    connect(lstMatches, &QListView::clicked, this, &LyricsSearchPanel::activate);
    connect(lstMatches, &QListView::activated, this, &LyricsSearchPanel::activate);

    connect(&engine, &LyricsEngine::progress, this, &LyricsSearchPanel::showProgress);
    connect(&engine, &LyricsEngine::stateChanged, this, &LyricsSearchPanel::showProgress);
    // Songs indexed, edited or deleted meanwhile: the list is looked up again.
    connect(&engine, &LyricsEngine::songsChanged, this, [this] {
        if (!txtFind->text().isEmpty())
            typing->start();
    });
    showProgress();
}

void LyricsSearchPanel::focusFind()
{
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->selectAll();
}

QString LyricsSearchPanel::progressText() const
{
    return lblProgress->isVisibleTo(this) ? lblProgress->text() : QString();
}

QString LyricsSearchPanel::countText() const
{
    return lblMatches->isVisibleTo(this) ? lblMatches->text() : QString();
}

void LyricsSearchPanel::showProgress()
{
    const bool indexing = engine.state() == LyricsEngine::State::Indexing && engine.progressTotal() > 0;
    if (indexing)
        lblProgress->setText(
            tr("Indexing lyrics: %1 of %2").arg(number(engine.progressDone()), number(engine.progressTotal())));
    else if (!engine.problem().isEmpty())
        lblProgress->setText(tr("The lyrics index could not be brought up to date: %1").arg(engine.problem()));
    lblProgress->setVisible(indexing || !engine.problem().isEmpty());
    if (stillIndexing && engine.state() != LyricsEngine::State::Indexing && !txtFind->text().isEmpty())
        typing->start();
}

QString LyricsSearchPanel::resultLine(const LyricsSearchResult &result)
{
    const int shown = int(result.Matches.size() + result.Unfilled.size());
    QString line;
    switch (result.State) {
    case LyricsSearchResult::Status::NoQuery:
        break;
    case LyricsSearchResult::Status::NotAvailable:
        line = result.Message;
        break;
    case LyricsSearchResult::Status::Found:
        if (result.Cut)
            line = shown == 0 ? tr("Too many songs to look through: type more")
                              : tr("Many songs have these words: the first %1 shown, type more").arg(number(shown));
        else if (result.Total == 0)
            line = tr("No song has these words");
        else if (result.Total == 1)
            line = tr("1 song");
        else if (result.Total <= shown)
            line = tr("%1 songs").arg(number(result.Total));
        else if (result.Ranked)
            line = tr("%1 songs, the best %2 shown").arg(number(result.Total), number(shown));
        else
            line = tr("%1 songs, too many to rank: %2 shown, type more").arg(number(result.Total), number(shown));
        if (result.StillIndexing)
            line += tr(" (still indexing: found in what is indexed so far)");
        break;
    }
    return line;
}

void LyricsSearchPanel::runSearch()
{
    typing->stop();
    // The same song stays chosen when the list is made again.
    const QString currentKey = lstMatches->currentIndex().data(LyricsMatchModel::KeyRole).toString();
    const LyricsSearchResult result = engine.search(txtFind->text());
    stillIndexing = result.StillIndexing;
    lastActivated = QPersistentModelIndex();
    const QString count = resultLine(result);
    const bool keepRow = !currentKey.isEmpty();
    if (result.State == LyricsSearchResult::Status::Found)
        model->setMatches(result.Matches, result.Unfilled,
                          [this, text = txtFind->text()](const std::vector<QString> &keys) {
                              return engine.fill(text, keys);
                          });
    else
        model->setMatches({});
    if (keepRow) {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->matchAt(row)->Key == currentKey) {
                lstMatches->setCurrentIndex(model->index(row));
                break;
            }
        }
    }
    lblMatches->setText(count);
    lblMatches->setVisible(!count.isEmpty());
}

void LyricsSearchPanel::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (lastActivated == index && sinceActivation.isValid()
        && sinceActivation.elapsed() < QApplication::doubleClickInterval())
        return;
    lastActivated = index;
    sinceActivation.start();
    const LyricsMatch *match = model->matchAt(index.row());
    if (!match)
        return;
    if (!engine.songExists(match->Key)) {
        // Gone since the search: not opened, and out of the list and the index.
        model->removeRow(index.row());
        return;
    }
    Q_EMIT songActivated(match->Key, match->Line);
}

void LyricsSearchPanel::clearSearch()
{
    txtFind->clear();
    runSearch();
    txtFind->setFocus(Qt::OtherFocusReason);
}

bool LyricsSearchPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == txtFind) {
        switch (key->key()) {
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            if (typing->isActive())
                runSearch();
            if (model->rowCount() == 0)
                return false;
            lstMatches->setFocus(Qt::TabFocusReason);
            if (!lstMatches->currentIndex().isValid())
                lstMatches->setCurrentIndex(model->index(0));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (typing->isActive())
                runSearch();
            if (model->rowCount() > 0)
                activate(lstMatches->currentIndex().isValid() ? lstMatches->currentIndex() : model->index(0));
            return true;
        case Qt::Key_Escape:
            if (txtFind->text().isEmpty())
                return false; // for whoever holds the panel
            clearSearch();
            return true;
        default:
            return false;
        }
    }
    if (watched == lstMatches) {
        if (key->key() == Qt::Key_Escape) {
            clearSearch();
            return true;
        }
        if (key->key() == Qt::Key_Up && lstMatches->currentIndex().row() <= 0) {
            txtFind->setFocus(Qt::BacktabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
