#include "mainwindow/JoinMode.h"

#include "app/AppState.h"
#include "app/WebPage.h"
#include "library/LibraryTree.h"
#include "app/JoinText.h"
#include "mainwindow/LibraryColumn.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "text/TextFile.h"
#include "widgets/LibraryTreeModel.h"

#include <QAction>

using namespace Qt::StringLiterals;

JoinMode::JoinMode(AppState &appState, Platform &desktop, LibraryColumn &libraryColumn, QAction &joinButton, QObject *parent)
    : QObject(parent), state(appState), platform(desktop), column(libraryColumn), button(joinButton)
{
}

void JoinMode::setCaption(const QString &caption)
{
    button.setText(caption);
    button.setIconText(caption);
}

void JoinMode::JoinLyrics_Click()
{
    LibraryTreeModel &model = column.libraryModel();
    if (button.isChecked()) {
        model.setCheckBoxesVisible(true);
        setCaption(u"Joining..."_s);
        platform.showMessage(u"Start selecting which artists/lyrics you would like to\n"
                             u"merge into a single text file (so you can print them)\n\n"
                             u"When you are done, repress the 'Joining...' button"_s,
                             ProgramTitle, MessageIcon::Information);
        return;
    }

    // The ticks stay on the nodes for the walk.
    model.setCheckBoxesVisible(false);
    setCaption(u"Join lyrics"_s);
    platform.processPendingEvents();
    const LibraryTree &tree = column.libraryTree();
    if (tree.count() == 0)
        return;

    QString collected;
    int songs = 0;
    bool failed = false;
    const int count = tree.count();
    for (int i = 1; i <= count; ++i) {
        const LibraryNode *node = tree.node(i);
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
        platform.showMessage(u"One or more files couldn't be found"_s, ProgramTitle, MessageIcon::Stop);
    if (collected.isEmpty())
        return;

    const QString name = joinedFileName(songs, platform.currentDateTime());
    // Without the downloader's folder there is nowhere the user would look
    // for the file.
    const QString path = state.InstallPath.isEmpty() ? QString() : joinPath(state.InstallPath, name);
    if (path.isEmpty()
        || writeTextFile(path, collected + u"\r\n"_s, TextEncoding::CodePageOrUtf8) != WriteResult::Written) {
        platform.showMessage(u"Could not create/overwrite file"_s, ProgramTitle, MessageIcon::Stop);
        return;
    }
    const MessageAnswer answer = platform.showMessage(
        u"File was saved as:\n"_s + name + u"\ninto your Wordhive folder\n\nDo you want to open it now?"_s,
        ProgramTitle, MessageIcon::Information, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes)
        OpenLocalFile(platform, path);
}
