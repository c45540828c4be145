// What the library knows of itself once loaded: set by its load constructor.
#pragma once

// Base address of the loaded plug-in library; null until the library is loaded.
extern void* moduleHandle;
