#pragma once

#include <QIcon>

namespace vorlin {

// The tool's own icon from the resources: the vector picture where the SVG icon engine is
// installed, the 256-pixel rendering otherwise. Only drawing it tells the two apart (without
// the engine the icon is not null, just empty), so the window asks for it once and its message
// boxes take it from there.
QIcon AppIcon();

} // namespace vorlin
