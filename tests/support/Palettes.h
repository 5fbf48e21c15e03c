#pragma once

// A dark palette like the ones Linux desktops bring, for tests and pictures.

#include <QPalette>

inline QPalette darkDesktopPalette()
{
    QPalette p;
    const QColor window(0x31, 0x36, 0x3b), text(0xef, 0xf0, 0xf1);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Light, QColor(0x47, 0x4d, 0x54));
    p.setColor(QPalette::Midlight, QColor(0x3a, 0x40, 0x45));
    p.setColor(QPalette::Mid, QColor(0x2a, 0x2e, 0x32));
    p.setColor(QPalette::Dark, QColor(0x1d, 0x20, 0x23));
    p.setColor(QPalette::Shadow, QColor(0x0f, 0x10, 0x12));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9b, 0x9c));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7f, 0x82, 0x85));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7f, 0x82, 0x85));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7f, 0x82, 0x85));
    return p;
}
