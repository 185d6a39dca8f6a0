#pragma once

#include <QIcon>

namespace vorlin {

// The tool's own icon, drawn from packaging/icons/vorlin-config.svg at 16, 32, 64 and 128 pixels
// (the sizes an X window manager is handed), ready in the resources: the window needs no SVG
// engine, and does not draw the picture four times before it can be shown. The window asks for
// it once; its message boxes take it from there.
QIcon AppIcon();

} // namespace vorlin
