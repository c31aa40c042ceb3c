/* A DLL planted beside Veltarion.exe under the names of system DLLs. Once loaded anywhere it
   leaves "<its own file name>.loaded" beside itself. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char name[MAX_PATH + 8];
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        const DWORD length = GetModuleFileNameA(self, name, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            HANDLE marker;
            lstrcatA(name, ".loaded");
            marker = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            if (marker != INVALID_HANDLE_VALUE) {
                CloseHandle(marker);
            }
        }
    }
    return TRUE;
}
