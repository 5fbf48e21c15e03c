#pragma once

// The least size at which a push button shows its picture and caption whole.

#include <QSize>

class QPushButton;

// Qt's four pixels between picture and caption, and the margin and frame the
// style puts around a button's contents, without the wider minimum some
// styles add for looks.
QSize neededSize(const QPushButton *button);
