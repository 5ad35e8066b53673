// Resource ids shared by the resource script and the program.
#ifndef RESOURCE_H
#define RESOURCE_H

#define IDI_SETUP 104

#endif
