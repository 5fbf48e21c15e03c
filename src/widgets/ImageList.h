#pragma once

// The thirteen 16 x 16 pictures the tree and the toolbar share, by their
// 1-based index, drawn as SVG so that they stay sharp on high-DPI screens.

#include <QIcon>

namespace ImageList {

inline constexpr int Count = 13;

// A null icon for an index outside 1..13.
QIcon icon(int index);
QString resourcePath(int index);
QIcon applicationIcon();
// Another picture of the program's by name: "add", "del", "save".
QIcon picture(const QString &name);

} // namespace ImageList
