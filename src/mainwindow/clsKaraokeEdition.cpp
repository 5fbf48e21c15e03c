#include "mainwindow/clsKaraokeEdition.h"

#include "app/Twips.h"
#include "app/MainLayout.h"
#include "karaoke/KasFormat.h"
#include "widgets/VeskTimePicker.h"
#include "platform/Platform.h"
#include "text/Cp1252.h"
#include "text/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {
// A row grows where its fonts or its arrows need more room than designed;
// the gap between two rows stays.
constexpr double kRowGap = KaraokeDesign::RowPitch - KaraokeDesign::RowHeight;
} // namespace

clsKaraokeEdition::clsKaraokeEdition(QWidget &area, Platform &desktop, QObject *parent)
    : QObject(parent), rowArea(area), platform(desktop), rowWidth(Twips::toPixels(KaraokeDesign::RowWidth))
{
    rows.push_back(createRow());
    placeRow(0);
    rows[0]->show();
}

VeskTimePicker *clsKaraokeEdition::createRow()
{
    auto *picker = new VeskTimePicker(&rowArea);
    picker->setObjectName(u"VeskTimePicker1"_s);
    picker->setAccessibleName(u"Timestamp"_s);
    // The tag in the desktop's text colour, light or dark.
    picker->setTxtForeColor(picker->palette().color(QPalette::Text));
    picker->hide();
    connect(picker, &VeskTimePicker::focusReceived, this, [this, picker] {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] == picker)
                Q_EMIT rowFocused(int(i));
        }
    });
    return picker;
}

VeskTimePicker *clsKaraokeEdition::row(int index) const
{
    return index >= 0 && index <= last() ? rows[size_t(index)] : nullptr;
}

QSize clsKaraokeEdition::rowSize() const
{
    const QSize wanted = rows[0]->sizeHint();
    return {qMax(wanted.width(), rowWidth), wanted.height()};
}

int clsKaraokeEdition::rowPitch() const
{
    return rowSize().height() + Twips::toPixels(kRowGap);
}

void clsKaraokeEdition::setRowWidth(int pixels)
{
    rowWidth = pixels;
    for (int i = 0; i <= last(); ++i)
        placeRow(i);
}

void clsKaraokeEdition::placeRow(int index)
{
    rows[size_t(index)]->setGeometry(QRect(QPoint(0, index * rowPitch()), rowSize()));
}

void clsKaraokeEdition::resizeRowArea(int rowCount)
{
    rowArea.resize(rowArea.width(), rowCount * rowPitch());
}

void clsKaraokeEdition::copyValues(VeskTimePicker *to, const VeskTimePicker *from)
{
    to->setText(from->Text());
    to->setMinute(from->Minute());
    to->setSecond(from->Second());
    to->setFrame(from->Frame());
}

void clsKaraokeEdition::retireLastRow()
{
    // Out of the row area at once; the object itself goes when control
    // returns to the event loop, as a widget deleted inside its own event
    // handler must.
    VeskTimePicker *row = rows.back();
    rows.pop_back();
    row->hide();
    row->setParent(nullptr);
    row->deleteLater();
}

void clsKaraokeEdition::clearRow(VeskTimePicker *row)
{
    row->setMinute(0);
    row->setSecond(0);
    row->setFrame(0);
    row->setText(QString());
}

void clsKaraokeEdition::UnloadAll()
{
    while (rows.size() > 1)
        retireLastRow();
    KasTail.clear();
}

clsKaraokeEdition::LoadResult clsKaraokeEdition::LoadKasFile(const QString &path)
{
    platform.processPendingEvents();
    UnloadAll();
    // Row 0 stays from the last song; a file that fills it partly (a
    // minute out of range) or not at all must not keep the old values.
    clearRow(rows[0]);

    const WholeFile file = readWholeFile(path);
    if (file.status != WholeFile::Read) {
        resizeRowArea(0);
        return LoadResult::Unreadable;
    }
    const KasFile kas = parseKas(file.bytes);
    if (!kas.wellFormed()) {
        resizeRowArea(0);
        return LoadResult::NotATimestampFile;
    }
    KasTail = kas.Tail;

    for (size_t i = 0; i < kas.Records.size(); ++i) {
        const KasRecord &record = kas.Records[i];
        const QString tag = Cp1252::decode(record.Tag);
        if (i == 0) {
            rows[0]->setText(tag);
            rows[0]->setMinute(record.Time.Minute);
            rows[0]->setSecond(record.Time.Second);
            rows[0]->setFrame(record.Time.Frame);
            continue;
        }
        VeskTimePicker *picker = createRow();
        rows.push_back(picker);
        picker->setMinute(record.Time.Minute);
        picker->setSecond(record.Time.Second);
        picker->setFrame(record.Time.Frame);
        picker->setText(tag);
        placeRow(int(i));
        picker->show();
    }
    resizeRowArea(int(kas.Records.size()));
    return LoadResult::Loaded;
}

bool clsKaraokeEdition::SaveKasFile(const QString &path)
{
    std::vector<KasRow> values;
    values.reserve(rows.size());
    for (const VeskTimePicker *picker : rows)
        values.push_back({{picker->Minute(), picker->Second(), picker->Frame()}, Cp1252::encode(picker->Text())});
    return writeFileAtomically(path, composeKas(values, KasTail));
}

void clsKaraokeEdition::Add(int position)
{
    if (position < 0 || position > last() + 1)
        return;
    VeskTimePicker *added = createRow();
    rows.push_back(added);
    const int newLast = last();
    for (int d = newLast; d >= position + 1; --d) {
        copyValues(rows[size_t(d)], rows[size_t(d - 1)]);
        placeRow(d);
        rows[size_t(d)]->show();
    }
    clearRow(rows[size_t(position)]);
    placeRow(position);
    rows[size_t(position)]->show();
    resizeRowArea(newLast + 1);
}

void clsKaraokeEdition::Del(int position)
{
    if (position == 0 || last() == 0) {
        platform.showMessage(u"Can't delete first stamp"_s, u"VESK"_s, MessageIcon::Information);
        return;
    }
    for (int i = position; i >= 0 && i < last(); ++i)
        copyValues(rows[size_t(i)], rows[size_t(i + 1)]);
    retireLastRow();
}

void clsKaraokeEdition::ArrangeTabOrder()
{
    // Each row with its own fields, then the next row: Tab goes through
    // minute field and tag box of a row before it leaves it.
    QWidget *previous = nullptr;
    for (VeskTimePicker *row : rows) {
        for (QWidget *stop : {static_cast<QWidget *>(row), row->findChild<QWidget *>(u"myScroll"_s),
                              row->findChild<QWidget *>(u"txtLyrics"_s)}) {
            if (!stop)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, stop);
            previous = stop;
        }
    }
}

QWidget *clsKaraokeEdition::lastInTabOrder() const
{
    VeskTimePicker *row = rows.back();
    QWidget *tag = row->findChild<QWidget *>(u"txtLyrics"_s);
    return tag ? tag : row;
}

void clsKaraokeEdition::followPalette()
{
    for (VeskTimePicker *row : rows)
        row->setTxtForeColor(row->palette().color(QPalette::Text));
}
