#pragma once

// Turns the mouse wheel over a point of a shown widget as the window system
// delivers a real wheel: to the deepest widget under the pointer, and from
// there on up to its parents until one takes it. Qt passes a wheel event on
// to the parents only when it came from the window system, so the event is
// marked as such, as QTest does with its key events.

#include <QApplication>
#include <QSpontaneKeyEvent>
#include <QWheelEvent>
#include <QWidget>

// notches > 0 turns the wheel away from the user (up). True when some widget
// took the turn.
inline bool turnWheel(QWidget *over, QPoint at, int notches)
{
    QWidget *window = over->window();
    const QPoint inWindow = over->mapTo(window, at);
    QWidget *target = window->childAt(inWindow);
    if (!target)
        target = window;
    QWheelEvent event(target->mapFrom(window, inWindow), window->mapToGlobal(inWindow), QPoint(),
                      QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(target, &event);
    return event.isAccepted();
}

inline bool turnWheel(QWidget *over, int notches)
{
    return turnWheel(over, over->rect().center(), notches);
}
