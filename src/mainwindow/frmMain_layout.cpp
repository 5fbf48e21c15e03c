// frmMain: placing the controls, the splitter and the window's own events.

#include "mainwindow/frmMain.h"

#include "mainwindow/LibraryTreeView.h"
#include "mainwindow/LinedLabel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

void frmMain::applyLayout()
{
    const MainLayout &l = layout;
    lblCount->setGeometry(l.lblCount.pixels());
    // Both labels size themselves to their captions when these are set.
    lblSearch->move(l.lblSearch.pixels().topLeft());
    txtSearch->setGeometry(l.txtSearch.pixels());
    lblSearchResults->move(l.lblSearchResults.pixels().topLeft());
    lista->setGeometry(l.lista.pixels());
    picSplit->setGeometry(l.picSplit.pixels());
    LblSong->setGeometry(l.LblSong.pixels());
    picInfo->setGeometry(l.picInfo.pixels());
    picHolder->setGeometry(l.picHolder.pixels());
    // The captions under the pictures need a little more than the designed
    // toolbar height; the holder has it.
    QRect bar = l.tlbMain.pixels();
    if (toolbarHeight == 0)
        toolbarHeight = tlbMain->sizeHint().height(); // the captions never change size
    bar.setHeight(std::clamp(toolbarHeight, bar.height(), std::max(bar.height(), picHolder->height())));
    tlbMain->setGeometry(bar);
    frmKaraoke->setGeometry(l.frmKaraoke.pixels());
    applyKaraokeLayout();
    lyrics->setGeometry(l.lyrics.pixels());
}

void frmMain::syncClientSize()
{
    layout.ClientWidth = Twips::fromPixels(width());
    layout.ClientHeight = Twips::fromPixels(height());
}

void frmMain::ArrangeHeights()
{
    layout.ArrangeHeights();
    applyLayout();
}

void frmMain::ArrangeColumns()
{
    layout.ArrangeColumns();
    applyLayout();
}

void frmMain::ArrangeRightWidths()
{
    layout.ArrangeRightWidths();
    applyLayout();
}

void frmMain::DoSplit(double x)
{
    syncClientSize();
    if (layout.DoSplit(x))
        applyLayout();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    syncClientSize();
    layout.ArrangeHeights();
    UpdateKaraokeScroll();
    layout.ArrangeRightWidths();
    applyLayout();
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Being shown the first time counts as being activated, also where the
    // desktop does not activate new windows.
    ArrangeColumns();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyColours();
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ArrangeColumns();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Escape in the search box clears it, and with it the search.
    if (watched == txtSearch && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !txtSearch->text().isEmpty()) {
        txtSearch->clear();
        return true;
    }
    // The Lists button's menu opens with the Down key too.
    if (event->type() == QEvent::KeyPress && watched->objectName() == QStringView(u"Lists")
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        if (auto *button = qobject_cast<QToolButton *>(watched)) {
            button->showMenu();
            return true;
        }
    }
    if (watched == picSplit) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            picSplit_MouseDown(static_cast<QMouseEvent *>(event)->position().x());
            return true;
        case QEvent::MouseMove:
            picSplit_MouseMove(static_cast<QMouseEvent *>(event)->position().x());
            return true;
        case QEvent::MouseButtonRelease:
            picSplit_MouseUp();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::picSplit_MouseDown(double x)
{
    SplitDragging = true;
    SplitGrabX = float(Twips::fromPixels(1) * x);
}

void frmMain::picSplit_MouseMove(double x)
{
    // The bar keeps the moves while the button is held; the grabbed point
    // stays under the pointer.
    if (SplitDragging)
        DoSplit(Twips::fromPixels(1) * x - SplitGrabX + layout.picSplit.Left);
}

void frmMain::picSplit_MouseUp()
{
    SplitDragging = false;
}

void frmMain::applySettings(const WindowSettings &settings)
{
    QList<QRect> screens;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    }
    const WindowPlacement placement = placeWindow(settings, screens);
    layout.picSplit.Left = placement.SplitPos;
    if (placement.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        // Before the window is first shown: its frame goes to the stored
        // place, its inside gets the stored size.
        move(placement.Geometry.topLeft());
        resize(placement.Geometry.size());
    }
    applyLayout();
}

WindowSettings frmMain::currentSettings() const
{
    // The frame's place and the inside's size, as applySettings takes them
    // back: the desktop's decorations are unknown until the window is shown.
    WindowSettings s;
    s.FrmTop = float(Twips::fromPixels(pos().y()));
    s.FrmLeft = float(Twips::fromPixels(pos().x()));
    s.FrmWidth = float(Twips::fromPixels(width()));
    s.FrmHeight = float(Twips::fromPixels(height()));
    s.SplitPos = float(layout.picSplit.Left);
    s.FrmMaximized = isMaximized();
    return s;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Q_EMIT unloading();
    event->accept();
}
