// The folder of the running program, taken from its command line.
#ifndef UTIL_MODULE_DIRECTORY_H
#define UTIL_MODULE_DIRECTORY_H

// buffer (260 bytes, the caller's) receives the program's folder ending in a
// backslash; a program path without a backslash is given whole, and one that
// does not fit the buffer gives the empty string.
void GetModuleDirectory(char *buffer);

// The same for a given command line: the program path is the quoted first
// part, or everything up to the first space, or to the end. Never writes more
// than 260 bytes to buffer.
void ModuleDirectoryFromCommandLine(const char *commandLine, char *buffer);

#endif
