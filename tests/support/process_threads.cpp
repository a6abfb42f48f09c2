// Listing and suspending another process's threads (see process_threads.h).
#include "tests/support/process_threads.h"

#include <tlhelp32.h>

std::vector<DWORD> ThreadIdsOf(DWORD processId)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry;
    ZeroMemory(&entry, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId)
            ids.push_back(entry.th32ThreadID);
        entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return ids;
}

FrozenThreads::~FrozenThreads()
{
    Thaw();
}

int FrozenThreads::Freeze(const std::vector<DWORD> &ids)
{
    int all = 1;
    for (DWORD id : ids) {
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, id);
        if (!thread) {
            all = 0;
            continue;
        }
        if (SuspendThread(thread) == (DWORD)-1) {
            CloseHandle(thread);
            all = 0;
            continue;
        }
        handles.push_back(thread);
    }
    return all;
}

void FrozenThreads::Thaw()
{
    for (HANDLE thread : handles) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
    handles.clear();
}
