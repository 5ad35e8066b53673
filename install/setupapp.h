// The setup program's application object.
#ifndef SETUPAPP_H
#define SETUPAPP_H

#include "tapp.h"

class TSetupApp : public TApp {
public:
    TSetupApp(HINSTANCE instance, LPSTR cmdLine, int cmdShow);
    virtual BOOL CreateMainWindow();
};

#endif
