// The messenger's RSA key containers of the current user, in both key sets.
#ifndef CONTAINERS_H
#define CONTAINERS_H

// Creates qwill.rsa1024.<user> and qwill.rsa512.<user> in the machine and the user key set.
void MakeContainers();
// How many of those four exist.
int CountContainers();
void DeleteContainers();

#endif
