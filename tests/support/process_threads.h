// The threads of another process, for tests that must hold a program still
// at one exact point (a copy half done) instead of hoping to catch it there:
// a suspended thread cannot move on, however slow or fast the machine is.
#ifndef TESTS_SUPPORT_PROCESS_THREADS_H
#define TESTS_SUPPORT_PROCESS_THREADS_H

#include <windows.h>

#include <vector>

// The ids of the threads that process has now (a toolhelp snapshot); empty
// when the snapshot fails.
std::vector<DWORD> ThreadIdsOf(DWORD processId);

// Threads of another process held suspended. Thaw, or the destructor, lets
// them run again, so a failed assertion never leaves a program frozen.
class FrozenThreads {
public:
    FrozenThreads() {}
    ~FrozenThreads();
    // Suspends each thread of ids; 1 when every one was suspended (those
    // that were are kept even when another fails).
    int Freeze(const std::vector<DWORD> &ids);
    void Thaw();
    size_t Count() const { return handles.size(); }

private:
    FrozenThreads(const FrozenThreads &) = delete;
    FrozenThreads &operator=(const FrozenThreads &) = delete;
    std::vector<HANDLE> handles;
};

#endif
