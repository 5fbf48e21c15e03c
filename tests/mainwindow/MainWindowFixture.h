#pragma once

// A main window over a fixture library in a temporary folder, with a fake
// platform, shown (offscreen) and driven the way a user drives it: rows
// clicked where they are drawn, the toolbar's own buttons clicked, keys
// pressed and text typed into the focused control.

#include "app/AppState.h"
#include "library/LibraryChecks.h"
#include "library/LibraryTree.h"
#include "widgets/LibraryTreeModel.h"
#include "lists/ListsModel.h"
#include "widgets/LibraryTreeView.h"
#include "mainwindow/frmMain.h"
#include "support/FakePlatform.h"
#include "support/LibraryBuilder.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

struct Window
{
    QTemporaryDir dir;
    LibraryBuilder lib{dir.path() + QStringLiteral("/lyrics")};
    FakePlatform platform;
    AppState state;
    ListsModel lists;
    std::unique_ptr<frmMain> form;
    std::unique_ptr<QAbstractItemModelTester> modelTester;
    // Opens with whatever CachePath the test set, empty included.
    bool withoutLibrary = false;

    // Creates the window, scans the library and shows the window, as the
    // start-up does. The tree's model is checked through every change.
    void open()
    {
        // The library's rules are checked after every change of it.
        LibraryChecks::setEnabled(true);
        if (state.CachePath.isEmpty() && !withoutLibrary)
            state.CachePath = lib.cachePath();
        form = std::make_unique<frmMain>(state, platform, lists);
        modelTester = std::make_unique<QAbstractItemModelTester>(
            &form->libraryModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        form->ScanLibrary();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the main window was not shown");
    }

    template<typename T> T *child(const QString &name) const
    {
        T *w = form->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString label(const QString &name) const { return child<QLabel>(name)->text(); }
    LibraryNode *node(const QString &key) const { return form->libraryTree().find(key); }
    bool enabled(int position) const { return form->toolbarButton(position)->isEnabled(); }
    bool pressed(int position) const { return form->toolbarButton(position)->isChecked(); }
    LibraryTreeView *tree() const { return child<LibraryTreeView>(QStringLiteral("lista")); }
    QPlainTextEdit *lyrics() const { return child<QPlainTextEdit>(QStringLiteral("lyrics")); }
    QLineEdit *search() const { return child<QLineEdit>(QStringLiteral("txtSearch")); }
    LibraryNode *current() const { return form->libraryModel().nodeAt(tree()->currentIndex()); }

    QModelIndex index(const QString &key) const
    {
        LibraryNode *n = node(key);
        if (!n)
            qFatal("no node %s", qPrintable(key));
        return form->libraryModel().indexOf(n);
    }

    // The point of a row a user would click: the middle of its text.
    QPoint rowPoint(const QModelIndex &index) const
    {
        tree()->scrollTo(index);
        return tree()->visualRect(index).center();
    }

    // Clicks the expand arrow left of an artist's row.
    void clickArrow(const QString &artistKey)
    {
        const QModelIndex i = index(artistKey);
        tree()->scrollTo(i);
        const QRect row = tree()->visualRect(i);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - tree()->indentation() / 2, row.center().y()));
    }

    // Clicks a node's row; a song hidden in a closed artist is first brought
    // into sight with the artist's expand arrow.
    void click(const QString &key, Qt::KeyboardModifiers modifiers = {})
    {
        LibraryNode *n = node(key);
        if (!n)
            qFatal("no node %s", qPrintable(key));
        if (n->Parent && !tree()->isExpanded(form->libraryModel().indexOf(n->Parent)))
            clickArrow(n->Parent->Key);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, modifiers, rowPoint(index(key)));
    }

    // Clicks the check box before a node's row (join mode).
    void tick(const QString &key)
    {
        LibraryNode *n = node(key);
        if (n && n->Parent && !tree()->isExpanded(form->libraryModel().indexOf(n->Parent)))
            clickArrow(n->Parent->Key);
        const QModelIndex i = index(key);
        QStyleOptionViewItem option;
        option.initFrom(tree());
        tree()->scrollTo(i);
        option.rect = tree()->visualRect(i);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay
            | QStyleOptionViewItem::HasDecoration;
        option.decorationSize = tree()->iconSize().isValid() ? tree()->iconSize() : QSize(16, 16);
        const QRect box = tree()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree());
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, box.center());
    }

    QToolButton *button(int position) const
    {
        auto *b = qobject_cast<QToolButton *>(
            child<QToolBar>(QStringLiteral("tlbMain"))->widgetForAction(form->toolbarButton(position)));
        if (!b)
            qFatal("no tool button %d", position);
        return b;
    }

    // Clicks a toolbar button where its picture is (never on a menu arrow).
    void press(int position)
    {
        QToolButton *b = button(position);
        const int arrow = b->popupMode() == QToolButton::MenuButtonPopup
            ? b->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, b)
            : 0;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint((b->width() - arrow) / 2, b->height() / 2));
    }

    // Opens the Lists button's menu with its arrow and clicks an item (MR, DI).
    void chooseListsMenu(const QString &itemKey)
    {
        QToolButton *b = button(frmMain::Lists);
        bool chosen = false;
        QTimer::singleShot(0, form.get(), [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *item : menu->actions()) {
                if (item->objectName() == itemKey) {
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
                    chosen = true;
                }
            }
            if (!chosen)
                menu->close();
        });
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() - 3, b->height() / 2));
        if (!chosen)
            qFatal("menu item %s was not chosen", qPrintable(itemKey));
    }

    // Types text into a control, one key event per character, any character.
    static void type(QWidget *widget, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // Replaces the search box's text the way a user does: click into it,
    // select everything, type.
    void typeSearch(const QString &text)
    {
        QTest::mouseClick(search(), Qt::LeftButton);
        QTest::keyClick(search(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(search(), Qt::Key_Backspace);
        else
            type(search(), text);
    }
    // Pastes text over whatever the search box holds, in one change.
    void pasteSearch(const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        QTest::mouseClick(search(), Qt::LeftButton);
        QTest::keyClick(search(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(search(), Qt::Key_V, Qt::ControlModifier);
    }

    // Replaces the lyrics box's text by typing, as a user editing it does.
    void typeLyrics(const QString &text)
    {
        QTest::mouseClick(lyrics()->viewport(), Qt::LeftButton);
        QTest::keyClick(lyrics(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(lyrics(), Qt::Key_Delete);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(lyrics(), Qt::Key_Return);
            type(lyrics(), lines[i]);
        }
    }

    // A key pressed on the tree, which has the focus after a click into it.
    void treeKey(Qt::Key key)
    {
        tree()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(tree(), key);
    }
};
