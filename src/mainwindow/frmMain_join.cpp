// frmMain: joining the ticked songs into one file for printing.

#include "mainwindow/frmMain.h"

#include "app/AppState.h"
#include "app/CacheFolder.h"
#include "app/WebPage.h"
#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"
#include "mainwindow/JoinText.h"
#include "platform/Platform.h"
#include "text/TextFile.h"

#include <QAction>

using namespace Qt::StringLiterals;

namespace {
const QString kTitle = u"Wordhive Stanzabox"_s;

// The button shows the icon text, which Qt would otherwise make from the
// text without its trailing "...".
void setCaption(QAction *button, const QString &caption)
{
    button->setText(caption);
    button->setIconText(caption);
}
} // namespace

void frmMain::JoinLyrics_Click()
{
    QAction *join = toolbarButton(JoinLyrics);
    if (join->isChecked()) {
        model->setCheckBoxesVisible(true);
        setCaption(join, u"Joining..."_s);
        platform.showMessage(u"Start selecting which artists/lyrics you would like to\n"
                             u"merge into a single text file (so you can print them)\n\n"
                             u"When you are done, repress the 'Joining...' button"_s,
                             kTitle, MessageIcon::Information);
        return;
    }

    // The ticks stay on the nodes for the walk.
    model->setCheckBoxesVisible(false);
    setCaption(join, u"Join lyrics"_s);
    platform.processPendingEvents();
    if (tree->count() == 0)
        return;

    QString collected;
    int songs = 0;
    bool failed = false;
    const int count = tree->count();
    for (int i = 1; i <= count; ++i) {
        const LibraryNode *node = tree->node(i);
        if (!node || !node->Checked || node->hasChildren())
            continue;
        collected += joinedHeading(node->Parent ? node->Parent->Text : QString(), node->Text);
        if (const std::optional<QString> text = readTextFile(state.CachePath + node->Key))
            collected += *text + joinedClosing();
        else
            failed = true;
        ++songs;
    }
    if (failed)
        platform.showMessage(u"One or more files couldn't be found"_s, kTitle, MessageIcon::Stop);
    if (collected.isEmpty())
        return;

    const QString name = joinedFileName(songs, platform.currentDateTime());
    // Without the downloader's folder there is nowhere the user would look
    // for the file.
    const QString path = state.InstallPath.isEmpty() ? QString() : joinPath(state.InstallPath, name);
    if (path.isEmpty() || writeTextFile(path, collected + u"\r\n"_s, TextEncoding::CodePageOrUtf8) != WriteResult::Written) {
        platform.showMessage(u"Could not create/overwrite file"_s, kTitle, MessageIcon::Stop);
        return;
    }
    const MessageAnswer answer =
        platform.showMessage(u"File was saved as:\n"_s + name + u"\ninto your Wordhive folder\n\n"
                                                                u"Do you want to open it now?"_s,
                             kTitle, MessageIcon::Information, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes)
        OpenLocalFile(platform, path);
}
