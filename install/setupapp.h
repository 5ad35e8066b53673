// The setup program's application object.
#ifndef SETUPAPP_H
#define SETUPAPP_H

#include "tapp.h"

class TSetupApp : public TApp {
public:
    TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
    virtual ~TSetupApp();
    virtual BOOL CreateMainWindow();

private:
    HANDLE setupMutex;  // held while this setup runs: one at a time on the machine
};

#endif
