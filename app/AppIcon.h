#pragma once

#include <QIcon>

namespace vorlin {

// The tool's own icon from the resources: the vector picture where the SVG icon engine is
// installed, the 256-pixel rendering otherwise.
QIcon AppIcon();

} // namespace vorlin
