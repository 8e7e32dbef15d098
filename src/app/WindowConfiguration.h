#pragma once
// How the main window is sized for each state of the root switch.

#include <QRect>
#include <QSize>

class QWidget;

namespace varnel {

inline constexpr QSize loginWindowSize{520, 460};
inline constexpr QSize shellMinimumSize{1180, 760};

// A rectangle of size centred on available (origin = centre minus half the size).
QRect centredRect(const QRect &available, const QSize &size);

// Signed out: title "Login", minimum and size 520 × 460, centred on the
// screen's available area (only resized when the window is on no screen).
// Signed in: minimum 1180 × 760, the whole available area, full screen allowed.
void configureWindow(QWidget &window, bool signedIn);

} // namespace varnel
