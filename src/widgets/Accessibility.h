#pragma once

// What assistive technology (a screen reader, over AT-SPI) is told about the
// program's controls where Qt's own account would mislead it: tool buttons
// that carry a checkable action, labels read as one line, and the program's
// windows, which are frames rather than anonymous panels.

namespace Accessibility {

// Makes Qt ask the program first for the accessible interface of those
// controls. Safe to call more than once; call it before the first window
// is built. A window class says it is one with
// Q_CLASSINFO("accessibleRole", "window").
void install();

} // namespace Accessibility
