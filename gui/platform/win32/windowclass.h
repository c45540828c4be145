// The one window class that every frame window of the module uses, registered on the module's
// handle while at least one frame window exists.
#pragma once

#include <windows.h>

namespace windowclass {

// The module (the plug-in's DLL) this code is in: the instance handle the class is registered on.
HINSTANCE module();

// Registers the class on first use (with `procedure`) and counts one more window; the class's
// name, or null when it cannot be registered.
const wchar_t* acquire(WNDPROC procedure);
// Counts one window fewer; the last unregisters the class.
void release();

} // namespace windowclass
