// The setup program's application object.
#ifndef SETUPAPP_H
#define SETUPAPP_H

#include "setuplog.h"
#include "tapp.h"

class TSetupApp : public TApp {
public:
    TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
    virtual ~TSetupApp();
    virtual BOOL CreateMainWindow();
    virtual int Run();  // and logs the exit code

private:
    BOOL Quit(int exitCode);
    HANDLE setupMutex;  // held while this setup runs: one at a time on the machine
    TSetupLog log;      // the dialog and the procedures write to it
};

#endif
