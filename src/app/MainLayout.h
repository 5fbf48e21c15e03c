#pragma once

// Where the main window's controls stand, in twips, and the rules that keep
// them there when the window is resized, the splitter is dragged or the
// karaoke editor comes and goes. Plain arithmetic: the window applies it.

#include "app/Twips.h"

struct TwipsRect
{
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

    double right() const { return Left + Width; }
    QRect pixels() const { return Twips::toPixels(Left, Top, Width, Height); }
};

// The karaoke editor as designed, in twips. The window grows a part only
// where its fonts or its style need more room than this.
namespace KaraokeDesign {
inline constexpr double RowWidth = 1455;
inline constexpr double RowHeight = 270;
inline constexpr double RowPitch = 300;
inline constexpr TwipsRect Button{0, 0, 495, 330};
inline constexpr TwipsRect Strip{120, 240, 1455, 345}; // the Add, Del, Save strip in the frame
inline constexpr double GapBelowStrip = 135;
inline constexpr double RowAreaHeight = 9000;
// The viewport and the frame, without and with the rows' scroll bar.
inline constexpr double ViewportWidth = 1455;
inline constexpr double ViewportWidthWithBar = 1805;
inline constexpr double FrameWidth = 1685;
inline constexpr double FrameWidthWithBar = 2055;
inline constexpr double ScrollBarLeft = 1560;
} // namespace KaraokeDesign

struct MainLayout
{
    // The tree's top while the search's results line stands above it, and
    // once it has gone (the designed 1455 holds only until the first search).
    static constexpr double TreeTop = 1500;
    static constexpr double TreeTopBelowResults = 1740;
    // The information panel: the titles' label, and the pitch of its lines,
    // which the six values beside them keep.
    static constexpr TwipsRect InfoTitles{120, 0, 2175, 1455};
    static constexpr double InfoLinePitch = 240;

    // The designed client area.
    double ClientWidth = 12360;
    double ClientHeight = 8025;

    // Left column.
    TwipsRect lblCount{120, 120, 3135, 855};
    TwipsRect lblSearch{135, 1140, 570, 210};
    TwipsRect txtSearch{720, 1080, 2535, 315};
    TwipsRect lblSearchResults{720, 1440, 2520, 240};
    TwipsRect lista{120, 1455, 3135, 6465};
    TwipsRect picSplit{3240, 0, 135, 8415};
    // Right column.
    TwipsRect LblSong{3360, 120, 8895, 375};
    TwipsRect picInfo{3360, 600, 8895, 1455};
    TwipsRect picHolder{3360, 2160, 8895, 615};
    TwipsRect tlbMain{0, 0, 8895, 540}; // inside picHolder
    TwipsRect frmKaraoke{3360, 2760, 2055, 5175};
    TwipsRect picContainerKasEditModeOne{120, 720, 1815, 4335}; // inside frmKaraoke
    TwipsRect VScroll1{1560, 0, 255, 4335};                     // inside the container
    TwipsRect lyrics{5520, 2760, 6735, 5175};

    // The karaoke editor's row pitch and the width of its button strip and
    // rows: the designed 300 and 1455 until the window has measured what
    // its fonts and style need. The frame and the viewport grow with them.
    double KaraokeRowPitch = KaraokeDesign::RowPitch;
    double KaraokeContentWidth = KaraokeDesign::RowWidth;

    // "Find in lyrics", once opened, takes the top of the tree's place; the
    // tree keeps the rest. Until then the layout is as designed.
    bool FinderVisible = false;
    static constexpr double FinderHeight = 3600;
    static constexpr double FinderGap = 60;
    TwipsRect finder() const;
    // Where the tree is shown: its designed place, less the finder's.
    TwipsRect treeShown() const;

    // A bar above the lyrics says when the song's file changed on disk
    // while it was being edited; the lyrics keep the rest of their place.
    bool DiskBarVisible = false;
    static constexpr double DiskBarHeight = 420;
    TwipsRect diskBar() const;
    TwipsRect lyricsShown() const;

    bool KaraokeVisible = false;
    // How far the karaoke rows are moved up inside their viewport (0 or less).
    double MoveableTop = 0;

    // Heights that follow the client height.
    void ArrangeHeights();
    // Left column widths and right column left edges, from the splitter.
    void ArrangeColumns();
    // Right column widths, from the client width and the splitter.
    void ArrangeRightWidths();
    // Moves the splitter to x when it lies within 10 %..90 % of the client
    // width (both inclusive) and lays out both columns; false otherwise.
    bool DoSplit(double x);

    // Sizes the karaoke viewport and frame for the rows: wider, with
    // a scroll bar whose maximum is the rows' excess height, when they do
    // not fit; narrower and back at the top when they do. Returns the scroll
    // bar's maximum, or 0 when no scroll bar is wanted.
    int UpdateKaraokeScroll(int rowCount);
};
