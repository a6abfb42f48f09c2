// Writes one resource of the program's own executable into a file on a
// worker thread, in chunks of one hundredth of the resource, reporting the
// whole percentage written after every chunk.
//
// The target is never half-written: the bytes go into a temporary file next
// to the target (the target's path with TEMPORARY_SUFFIX appended), which
// replaces the target in one step once it is complete and flushed. The
// report of 100 comes only after that replacement, so 100 means "the file is
// in place". A copy that fails or is stopped removes its temporary file and
// leaves the target exactly as it was (absent if it was absent).
#ifndef PAYLOAD_RESOURCE_COPIER_H
#define PAYLOAD_RESOURCE_COPIER_H

#include <windows.h>

#include <atomic>

// Appended to the target's path to name the temporary file. A process killed
// mid-copy leaves this file behind; the next copy to the same target
// overwrites and then consumes it.
#define TEMPORARY_SUFFIX "~new"

// Called on the worker after every chunk with floor(written * 100 / size);
// 100 comes exactly once, last, and only when the payload is in place. The
// result is ignored.
typedef int (*ProgressCallback)(unsigned int percent);
// Called once on the worker when a copy ends without its payload in place for
// any reason other than a stop request; error is the Win32 error code of the
// failing step. The result is ignored.
typedef int (*FailureCallback)(unsigned int error);

class ResourceCopier {
public:
    DWORD threadId;                 // the worker's id; 0 when no handle is held
    HANDLE threadHandle;            // held from StartCopy until the next StopCopy
    ProgressCallback callback;
    std::atomic<bool> stopRequested; // set only while StopCopy waits
    char *specifier;                // owned 260-byte buffer, or NULL
    char *targetPath;               // owned 260-byte buffer, or NULL
    FailureCallback failureCallback;

    ResourceCopier();
    // Stops a running copy (cut at its next chunk boundary), then frees the buffers.
    ~ResourceCopier();

    // Both refused (NULL returned, nothing changed) while a thread handle is
    // held, even by a worker that has already ended; otherwise they store fn
    // and return the function stored before.
    ProgressCallback SetProgressCallback(ProgressCallback fn);
    FailureCallback SetFailureCallback(FailureCallback fn);

    // Stops and joins an earlier worker, keeps copies of both strings and
    // starts a worker. 1 when a worker was started, 0 when not. Strings of
    // 260 bytes or more (or NULL) are refused with 0 before anything changes.
    // Everything after the start, failures included, comes through the
    // callbacks. A failed buffer allocation propagates as std::bad_alloc.
    int StartCopy(const char *specifier, const char *targetPath);

    // Asks a worker to end before its next chunk and waits until it has.
    // While waiting it serves messages sent to the calling thread's windows
    // (and only those), so a progress callback that sends to a window of this
    // thread cannot deadlock it. Does nothing when no handle is held.
    void StopCopy();

private:
    ResourceCopier(const ResourceCopier &);
    ResourceCopier &operator=(const ResourceCopier &);
};

// The worker: StartCopy runs it with the copier as its argument. Exit code 0
// when the payload is in place, 0xFFFFFFFF otherwise.
DWORD WINAPI CopyThreadProc(LPVOID copier);

#endif
