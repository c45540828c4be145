// What the library knows of itself once loaded: set when the system loads it (frame/linux/,
// frame/win32/).
#pragma once

// The loaded plug-in library's handle: its base address on Linux, its instance handle on Windows;
// null until the library is loaded.
extern void* moduleHandle;
