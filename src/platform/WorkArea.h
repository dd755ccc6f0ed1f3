// Top-level windows on the screen: each keeps its designed position where it fits the work
// area of its screen, and otherwise moves, and when larger shrinks, just as far as it must.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace zelm {

/// `frame` moved just as far left and up (or right and down) as it must to lie inside `work`;
/// a frame that fits stays where it is. One larger than `work` keeps its left and top edges on
/// those of `work`.
QRect PlaceInWorkArea(QRect frame, const QRect& work);

/// The work area of the screen that holds `window`; empty when there is no screen.
QRect WorkAreaOf(const QWidget& window);

/// The largest size `window` can take with its frame inside its work area.
QSize LargestClientSize(const QWidget& window);

/// Fits `window` into its work area now: larger, it shrinks to it; then it moves as far as it
/// must.
void FitIntoWorkArea(QWidget& window);

/// Keeps the top-level `window` fitted from now on: whenever it shows, changes size or moves to
/// another screen, and once the window manager has framed it.
void KeepInWorkArea(QWidget& window);

} // namespace zelm
