// The resource copier (see resource_copier.h). The worker allocates nothing
// and calls only platform functions and FindResourceBySpec; the payload goes
// into the file straight from the resource bytes of the loaded executable.
// No locks: while a worker exists, the only field either side writes is the
// atomic stopRequested.
#include "payload/resource_copier.h"

#include "payload/resource_spec.h"

#define PATH_BUFFER_SIZE 260
#define COPY_FAILED 0xFFFFFFFFu

ResourceCopier::ResourceCopier()
    : threadId(0), threadHandle(NULL), callback(NULL), stopRequested(false),
      specifier(NULL), targetPath(NULL), failureCallback(NULL)
{
}

ResourceCopier::~ResourceCopier()
{
    StopCopy();
    delete[] specifier;
    delete[] targetPath;
}

ProgressCallback ResourceCopier::SetProgressCallback(ProgressCallback fn)
{
    if (threadHandle != NULL)
        return NULL;
    ProgressCallback previous = callback;
    callback = fn;
    return previous;
}

FailureCallback ResourceCopier::SetFailureCallback(FailureCallback fn)
{
    if (threadHandle != NULL)
        return NULL;
    FailureCallback previous = failureCallback;
    failureCallback = fn;
    return previous;
}

static int FitsPathBuffer(const char *text)
{
    return text != NULL && lstrlenA(text) < PATH_BUFFER_SIZE;
}

int ResourceCopier::StartCopy(const char *newSpecifier, const char *newTargetPath)
{
    // Refused before anything changes: a running worker keeps running.
    if (!FitsPathBuffer(newSpecifier) || !FitsPathBuffer(newTargetPath))
        return 0;
    if (threadHandle != NULL)
        StopCopy();
    // NULL between release and allocation, so a failed allocation leaves no
    // dangling buffer for the destructor.
    delete[] specifier;
    specifier = NULL;
    delete[] targetPath;
    targetPath = NULL;
    specifier = new char[PATH_BUFFER_SIZE];
    lstrcpyA(specifier, newSpecifier);
    targetPath = new char[PATH_BUFFER_SIZE];
    lstrcpyA(targetPath, newTargetPath);
    threadHandle = CreateThread(NULL, 0, CopyThreadProc, this, 0, &threadId);
    if (threadHandle == NULL) {
        threadId = 0;
        return 0;
    }
    return 1;
}

void ResourceCopier::StopCopy()
{
    if (threadHandle == NULL)
        return;
    stopRequested = true;
    // The worker may be inside a progress callback that sends a message to a
    // window of this thread (the dialog's progress bar); a plain wait would
    // then never end. Sent messages are served, posted ones stay queued. The
    // peek comes first because the wait wakes only for messages that arrived
    // since the queue was last looked at, and one may already be waiting.
    for (;;) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD wait = MsgWaitForMultipleObjects(1, &threadHandle, FALSE, INFINITE, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0 + 1)
            continue;
        if (wait != WAIT_OBJECT_0)
            WaitForSingleObject(threadHandle, INFINITE);
        break;
    }
    CloseHandle(threadHandle);
    threadId = 0;
    threadHandle = NULL;
    stopRequested = false;
}

// GetLastError, or fallback when the failing call left no code.
static DWORD LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// An existing target must be replaceable: not read-only (as root, Wine lets a
// read-only file be replaced, so the attribute is checked here), not a
// folder, and openable for exclusive writing, which proves no one holds it
// open. The probe handle is closed again at once.
static DWORD CheckTarget(const char *targetPath)
{
    DWORD attributes = GetFileAttributesA(targetPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ERROR_SUCCESS; // absent; a missing folder fails at the temporary file
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    HANDLE probe = CreateFileA(targetPath, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_ACCESS_DENIED);
    CloseHandle(probe);
    return ERROR_SUCCESS;
}

// Writes the payload into the temporary file and puts it in place of the
// target. ERROR_SUCCESS when the target now holds the payload; otherwise the
// error of the failing step (*stopped set when a stop request ended it), and
// no temporary file is left.
static DWORD PlacePayload(ResourceCopier *copier, int *stopped)
{
    SetLastError(ERROR_SUCCESS);
    HRSRC resource = FindResourceBySpec(copier->specifier);
    if (resource == NULL)
        return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL loaded = LoadResource(NULL, resource);
    DWORD size = SizeofResource(NULL, resource);
    const char *data = loaded != NULL ? (const char *)LockResource(loaded) : NULL;
    if (data == NULL && size != 0)
        return LastErrorOr(ERROR_RESOURCE_DATA_NOT_FOUND);

    const char *targetPath = copier->targetPath;
    char temporaryPath[PATH_BUFFER_SIZE];
    if (lstrlenA(targetPath) + (int)sizeof(TEMPORARY_SUFFIX) > (int)sizeof(temporaryPath))
        return ERROR_FILENAME_EXCED_RANGE;
    lstrcpyA(temporaryPath, targetPath);
    lstrcatA(temporaryPath, TEMPORARY_SUFFIX);

    DWORD error = CheckTarget(targetPath);
    if (error != ERROR_SUCCESS)
        return error;
    // CREATE_ALWAYS: a temporary file left by a killed run is simply reused.
    HANDLE file = CreateFileA(temporaryPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_OPEN_FAILED);

    // Payloads under 100 bytes go one byte at a time; an empty one writes nothing.
    DWORD chunk = size / 100;
    if (chunk == 0)
        chunk = 1;
    DWORD written = 0;
    while (written < size) {
        if (copier->stopRequested) {
            *stopped = 1;
            error = ERROR_CANCELLED;
            break;
        }
        DWORD piece = size - written < chunk ? size - written : chunk;
        // One WriteFile per chunk; a short write (Wine's answer to a disk
        // that fills up mid-chunk) is continued, so that the next call
        // fails with the real cause.
        DWORD offset = 0;
        while (error == ERROR_SUCCESS && offset < piece) {
            DWORD done = 0;
            if (!WriteFile(file, data + written + offset, piece - offset, &done, NULL))
                error = LastErrorOr(ERROR_WRITE_FAULT);
            else if (done == 0)
                error = ERROR_WRITE_FAULT;
            offset += done;
        }
        if (error != ERROR_SUCCESS)
            break;
        written += piece;
        // The report of the last chunk, 100, waits for the replacement.
        if (written < size && copier->callback != NULL)
            copier->callback((unsigned int)((unsigned long long)written * 100 / size));
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file))
        error = LastErrorOr(ERROR_WRITE_FAULT);
    if (!CloseHandle(file) && error == ERROR_SUCCESS)
        error = LastErrorOr(ERROR_WRITE_FAULT);
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temporaryPath, targetPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastErrorOr(ERROR_ACCESS_DENIED);
    if (error != ERROR_SUCCESS)
        DeleteFileA(temporaryPath);
    return error;
}

DWORD WINAPI CopyThreadProc(LPVOID parameter)
{
    ResourceCopier *copier = (ResourceCopier *)parameter;
    if (copier == NULL)
        return COPY_FAILED;
    int stopped = 0;
    DWORD error = PlacePayload(copier, &stopped);
    if (error == ERROR_SUCCESS) {
        if (copier->callback != NULL)
            copier->callback(100);
        return 0;
    }
    if (!stopped && copier->failureCallback != NULL)
        copier->failureCallback(error);
    return COPY_FAILED;
}
