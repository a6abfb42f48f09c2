// A second process for the copier tests, for what one process cannot show
// about itself:
//   lock <path> <ready> <release>
//       holds <path> open without sharing from <ready> until <release> is set.
//   exit <specifier> <target> <percent> <reached>
//       copies on the process-wide copier; at the first report of at least
//       <percent> it sets <reached> and keeps the worker in the callback
//       until the copier is asked to stop, while main returns 7: the copy
//       must be stopped by the copier's destruction at exit.
//   hold <specifier> <target> <percent> <reached>
//       the same, but the worker stays in the callback for good, waiting to
//       be killed with the process.
// <ready>, <release> and <reached> are names of events made by the parent.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/process_objects.h"

static unsigned int threshold = 0;
static HANDLE reached = NULL;
static int holdForever = 0;

static int HoldingProgress(unsigned int percent)
{
    static int signalled = 0;
    if (signalled || percent < threshold)
        return 0;
    signalled = 1;
    SetEvent(reached);
    if (holdForever)
        Sleep(INFINITE);
    for (int waited = 0; waited < 20000 && !ProcessCopier.stopRequested; ++waited)
        Sleep(1);
    return 0;
}

static int LockFile(char **argv)
{
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (ready == NULL || release == NULL)
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}

static int CopyAndLeave(char **argv)
{
    threshold = (unsigned int)strtoul(argv[4], NULL, 10);
    reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[5]);
    if (reached == NULL)
        return 3;
    ProcessCopier.SetProgressCallback(HoldingProgress);
    if (!ProcessCopier.StartCopy(argv[2], argv[3]))
        return 4;
    // The parent waits for the event itself; this wait only bounds the run.
    HANDLE mine = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (mine == NULL || WaitForSingleObject(mine, 20000) != WAIT_OBJECT_0)
        return 5;
    if (holdForever)
        Sleep(60000);
    return 7;
}

int main(int argc, char **argv)
{
    if (argc == 5 && strcmp(argv[1], "lock") == 0)
        return LockFile(argv);
    if (argc == 6 && strcmp(argv[1], "exit") == 0)
        return CopyAndLeave(argv);
    if (argc == 6 && strcmp(argv[1], "hold") == 0) {
        holdForever = 1;
        return CopyAndLeave(argv);
    }
    return 1;
}
