// The module handle on Windows: the instance handle the loader passes when it attaches the DLL.
// The toolkit registers its window class and finds its bitmaps on it.
#include "frame/module.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleHandle = instance;
        // No thread notifications: nothing here keeps per-thread state.
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
