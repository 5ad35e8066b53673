// Scratch folders and files for tests, and the programs built beside the tests.
#ifndef SCRATCH_H
#define SCRATCH_H

#include <windows.h>
#include <string>

// Creates every missing level of path.
bool MakeFolders(const std::string &path);

// Deletes path with everything below it.
void RemoveTree(const std::string &path);

bool WriteBytes(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
std::string ReadBytes(const std::string &path);

// A program the build made: the stand-in messenger (big or small build), setup.exe.
std::string BuiltFile(const char *relative);

// Starts a program; the caller owns the handles.
bool StartProcess(const std::string &cmdLine, PROCESS_INFORMATION *pi, const char *dir = NULL);

// Waits for the process to end (killing it after timeoutMs) and returns its exit code.
DWORD EndProcess(PROCESS_INFORMATION *pi, int timeoutMs = 10000);

#endif
