// Process entry of setup.exe.
#include "setupapp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow)
{
    TSetupApp app(instance, cmdLine, cmdShow);
    return app.Run();
}
