// Entry point of the overlay: no command line, no console, no single-instance guard.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/app_constants.h"
#include "app/win/tracker_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    int exitCode = mb::kExitWindowFailed;
    bool comReleased = false;
    try {
        mb::TrackerApp app;
        if (app.createMainWindow()) {
            exitCode = app.runMessageLoop();
        } else {
            ::MessageBoxW(nullptr, L"Failed to create main window!", L"Error", MB_ICONERROR);
            exitCode = mb::kExitWindowFailed;
        }
        ::CoUninitialize();  // before the application object goes
        comReleased = true;
    } catch (...) {
        // The application object has been destroyed by the unwinding.
        exitCode = mb::kExitWindowFailed;
    }
    if (!comReleased) ::CoUninitialize();
    return exitCode;
}
