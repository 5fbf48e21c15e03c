#include "app/MainLayout.h"

#include <QtGlobal>

#include <algorithm>

namespace {

// A size the window is too small for is skipped: the control keeps the one it had.
void setSize(double &size, double value)
{
    if (value >= 0)
        size = value;
}

} // namespace

void MainLayout::ArrangeHeights()
{
    setSize(frmKaraoke.Height, ClientHeight - frmKaraoke.Top - 100);
    setSize(picContainerKasEditModeOne.Height,
            frmKaraoke.Height - picContainerKasEditModeOne.Top - 100);
    setSize(VScroll1.Height, picContainerKasEditModeOne.Height);
    setSize(lyrics.Height, ClientHeight - lyrics.Top - 100);
    setSize(lista.Height, ClientHeight - lista.Top - 100);
    setSize(picSplit.Height, ClientHeight);
}

void MainLayout::ArrangeColumns()
{
    const double w = picSplit.Left - lista.Left;
    setSize(lista.Width, w);
    setSize(lblCount.Width, w);
    setSize(txtSearch.Width, w - lblSearch.Width - 50);
    const double r = picSplit.right();
    LblSong.Left = r;
    picInfo.Left = r;
    picHolder.Left = r;
    frmKaraoke.Left = r;
    lyrics.Left = KaraokeVisible ? r + frmKaraoke.Width + 100 : r;
}

void MainLayout::ArrangeRightWidths()
{
    const double rw = ClientWidth - picSplit.right() - 100;
    setSize(LblSong.Width, rw);
    setSize(picInfo.Width, rw);
    setSize(picHolder.Width, rw);
    setSize(tlbMain.Width, rw);
    setSize(lyrics.Width, KaraokeVisible ? rw - frmKaraoke.Width - 100 : rw);
}

TwipsRect MainLayout::finder() const
{
    return {lista.Left, lista.Top, lista.Width, std::min(FinderHeight, lista.Height / 2)};
}

TwipsRect MainLayout::treeShown() const
{
    if (!FinderVisible)
        return lista;
    const TwipsRect above = finder();
    const double top = above.Top + above.Height + FinderGap;
    return {lista.Left, top, lista.Width, std::max(0.0, lista.Top + lista.Height - top)};
}

TwipsRect MainLayout::diskBar() const
{
    return {lyrics.Left, lyrics.Top, lyrics.Width, DiskBarHeight};
}

TwipsRect MainLayout::lyricsShown() const
{
    if (!DiskBarVisible)
        return lyrics;
    return {lyrics.Left, lyrics.Top + DiskBarHeight, lyrics.Width, std::max(0.0, lyrics.Height - DiskBarHeight)};
}

bool MainLayout::DoSplit(double x)
{
    // The limits are single-precision products, as the stored positions are.
    const float position = float(x);
    const float low = float(0.1 * ClientWidth);
    const float high = float(0.9 * ClientWidth);
    if (position < low || position > high)
        return false;
    picSplit.Left = position;
    ArrangeColumns();
    ArrangeRightWidths();
    return true;
}

int MainLayout::UpdateKaraokeScroll(int rowCount)
{
    const double excess = rowCount * KaraokeRowPitch - picContainerKasEditModeOne.Height;
    // Room the rows and buttons take beyond their design.
    const double wider = KaraokeContentWidth - KaraokeDesign::RowWidth;
    VScroll1.Left = KaraokeDesign::ScrollBarLeft + wider;
    if (excess > 0) {
        picContainerKasEditModeOne.Width = KaraokeDesign::ViewportWidthWithBar + wider;
        frmKaraoke.Width = KaraokeDesign::FrameWidthWithBar + wider;
        // A window made smaller leaves the rows where the bar can still reach.
        MoveableTop = std::max(MoveableTop, -excess);
        return qRound(excess);
    }
    picContainerKasEditModeOne.Width = KaraokeDesign::ViewportWidth + wider;
    frmKaraoke.Width = KaraokeDesign::FrameWidth + wider;
    MoveableTop = 0;
    return 0;
}
