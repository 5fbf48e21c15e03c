#include "startup/PrefixDialog.h"

#include "platform/WinePrefixSearch.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A cache folder reached through a drive link shows where it really is:
// "drive_c/Program Files" reads better than "dosdevices/c:/Program Files".
QString shownFolder(const QString &folder, const QString &home)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty())
        return homeShortened(folder, home);
    return homeShortened(real, home) + (folder.endsWith(u'/') && real != u"/"_s ? u"/"_s : QString());
}

QString songsText(const PrefixCandidate &candidate)
{
    if (candidate.cacheFolder.isEmpty() || !QFileInfo(candidate.cacheFolder).isDir())
        return u"no lyrics folder"_s;
    return candidate.songs == 1 ? u"1 song"_s : QString::number(candidate.songs) + u" songs"_s;
}

} // namespace

PrefixDialog::PrefixDialog(const QList<PrefixCandidate> &candidates, const QString &home,
                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"PrefixDialog"_s);
    setWindowTitle(u"Wordhive Stanzabox"_s);
    setModal(true);

    auto *question = new QLabel(
        u"The Wordhive downloader is installed in more than one Wine prefix.\n"
        u"Which one should Stanzabox open? It will open that one from now on."_s,
        this);
    question->setObjectName(u"lblQuestion"_s);

    lstPrefixes = new QTreeWidget(this);
    lstPrefixes->setObjectName(u"lstPrefixes"_s);
    lstPrefixes->setAccessibleName(u"Wine prefixes with the downloader"_s);
    lstPrefixes->setColumnCount(3);
    lstPrefixes->setHeaderLabels({u"Wine prefix"_s, u"Lyrics folder"_s, u"Songs"_s});
    lstPrefixes->setRootIsDecorated(false);
    lstPrefixes->setUniformRowHeights(true);
    lstPrefixes->setAllColumnsShowFocus(true);
    lstPrefixes->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const PrefixCandidate &candidate : candidates) {
        auto *item = new QTreeWidgetItem(lstPrefixes);
        item->setText(0, homeShortened(candidate.folder, home));
        item->setText(1, shownFolder(candidate.cacheFolder, home));
        item->setText(2, songsText(candidate));
        item->setToolTip(0, candidate.folder);
        item->setToolTip(1, candidate.cacheFolder);
    }
    for (int column = 0; column < 3; ++column)
        lstPrefixes->resizeColumnToContents(column);
    lstPrefixes->header()->setStretchLastSection(false);
    question->setBuddy(lstPrefixes);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(u"buttons"_s);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOk"_s);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"cmdCancel"_s);
    // Enter anywhere in the question chooses the current prefix.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a prefix chooses it; Enter presses OK, the default button.
    connect(lstPrefixes, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (chosen())
            accept();
    });
    connect(lstPrefixes, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(current != nullptr);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(lstPrefixes, 1);
    layout->addWidget(buttons);

    if (lstPrefixes->topLevelItemCount() > 0)
        lstPrefixes->setCurrentItem(lstPrefixes->topLevelItem(0));
    else
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    lstPrefixes->setFocus();

    // Wide enough for the paths, never wider than a screen could hold.
    int width = lstPrefixes->frameWidth() * 2 + 40;
    for (int column = 0; column < 3; ++column)
        width += lstPrefixes->columnWidth(column);
    resize(qBound(480, width, 1000), sizeHint().height());
}

std::optional<int> PrefixDialog::chosen() const
{
    QTreeWidgetItem *item = lstPrefixes->currentItem();
    if (!item)
        return std::nullopt;
    return lstPrefixes->indexOfTopLevelItem(item);
}

std::optional<int> PrefixDialog::ask(const QList<PrefixCandidate> &candidates, const QString &home,
                                     QWidget *parent)
{
    PrefixDialog dialog(candidates, home, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}
