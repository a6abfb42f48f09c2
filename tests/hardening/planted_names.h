// The DLL names the planting tests plant: system DLLs that are not known
// DLLs (so Windows would look for them by the search order) and that
// patch.exe, its dialog, the shell's folder browser or the DLLs behind them
// load by name at run time.
#ifndef TESTS_HARDENING_PLANTED_NAMES_H
#define TESTS_HARDENING_PLANTED_NAMES_H

#include <string>

static const char *const PlantedDllNames[] = {
    "winmm.dll", "version.dll", "uxtheme.dll", "comctl32.dll",
    "propsys.dll", "dwmapi.dll", "shfolder.dll",
};

// WINEDLLOVERRIDES for a process that should take a planted DLL of those
// names wherever the search finds one first (native), falling back to
// Wine's own (builtin) where none is found; the first part keeps the
// harness's usual overrides.
std::string PlantedDllOverrides();

#endif
