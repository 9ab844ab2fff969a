#pragma once

// The frames the windows are designed with: the main window has its system
// menu and the minimise button, every dialog and box the close button only.
// A fixed size takes away resizing and maximising as well.
//
// On X11 these become the window's Motif hints (functions and decorations),
// which most window managers follow. openbox follows them for resizing and
// maximising only: it keeps minimise (and full screen) for every dialog, and
// takes minimise away from nothing a dialog could declare itself to be (only
// from toolbars and menus).

#include <Qt>

// The main window: caption, system menu, minimise and close.
inline constexpr Qt::WindowFlags kMainWindowFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// Dialogs and boxes: caption and close button.
inline constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                                Qt::MSWindowsFixedSizeDialogHint;
