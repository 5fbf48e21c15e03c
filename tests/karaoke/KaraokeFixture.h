#pragma once

// The karaoke editor in the main window on a fixture library, shown and
// active, driven as a user drives it: rows of the tree and buttons clicked,
// keys on the focused widget, the wheel turned over a point.

#include "karaoke/KasFormat.h"
#include "mainwindow/MainWindowFixture.h"
#include "mainwindow/clsKaraokeEdition.h"
#include "widgets/LibraryTreeModel.h"
#include "widgets/LibraryTreeView.h"
#include "widgets/VeskTimePicker.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

// A timestamp file with one record per tag, ten seconds apart, and a tail.
inline QByteArray kasWith(const QStringList &tags, const QByteArray &tail = ";demo\r\n")
{
    QByteArray bytes;
    for (int i = 0; i < tags.size(); ++i)
        bytes += EncodeStamp(0, i * 10 % 60, 0) + tags[i].toLatin1().leftJustified(2, ' ');
    return bytes + tail;
}

// The rows as "tag@m:ss.f", top to bottom.
inline QStringList rowsOf(const clsKaraokeEdition &edition)
{
    QStringList out;
    for (int i = 0; i <= edition.last(); ++i) {
        const VeskTimePicker *r = edition.row(i);
        out << u"%1@%2:%3.%4"_s.arg(r->Text()).arg(r->Minute()).arg(r->Second(), 2, 10, QLatin1Char('0')).arg(r->Frame());
    }
    return out;
}

struct Panel : Window
{
    bool show(int width, int height)
    {
        open();
        form->resize(width, height);
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    // A click on a node's row in the tree, on its artist's first when that
    // is closed.
    void clickNode(const QString &key)
    {
        auto *tree = child<LibraryTreeView>(u"lista"_s);
        const LibraryNode *n = node(key);
        const QModelIndex index = form->libraryModel().indexOf(n);
        if (n->Parent && !tree->isExpanded(index.parent()))
            clickNode(n->Parent->Key);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
    }
    QPushButton *button(const QString &name) const { return child<QPushButton>(name); }
    void click(const QString &buttonName) const { QTest::mouseClick(button(buttonName), Qt::LeftButton); }
    clsKaraokeEdition &rows() { return form->karaokeEdition(); }
    QLabel *field(int row, int k) { return rows().row(row)->findChild<QLabel *>(u"myLabel%1"_s.arg(k)); }
    QLineEdit *tag(int row) { return rows().row(row)->findChild<QLineEdit *>(u"txtLyrics"_s); }
    QScrollBar *arrows(int row) { return rows().row(row)->findChild<QScrollBar *>(u"myScroll"_s); }
    // A click on a time field, where the user can see it; false when it is
    // scrolled out of sight.
    bool clickField(int row, int k)
    {
        QLabel *label = field(row, k);
        const QRect seen = label->visibleRegion().boundingRect();
        if (seen.isEmpty())
            return false;
        QTest::mouseClick(label, Qt::LeftButton, {}, seen.center());
        return true;
    }
    // A key on the widget holding the focus.
    static bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            return false;
        QTest::keyClick(target, key, modifiers);
        return true;
    }
};
