#pragma once

namespace vorlin {

// Makes screen readers see the window as a frame (a plain top-level widget is a filler to them)
// and the port box by its caption. Installed once for the process; the window calls it before it
// creates its controls, since Qt keeps the first interface it made for an object.
void InstallAccessibleInterfaces();

} // namespace vorlin
