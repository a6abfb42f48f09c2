// make bench: the copier against the two floors of a file write, on the
// same bytes, in the same run. Each case is timed several times and the
// median kept; one table row per payload and method on stdout:
//   copy|<payload>|<bytes>|<method>|<median ms>|<runs>
// Methods:
//   copier     ResourceCopier::StartCopy to the progress report of 100: a
//              temporary file written in 100 chunks with a report after
//              each, flushed, then moved over the target
//   copyfile   CopyFileA of a file holding the same bytes over the target
//   safewrite  one WriteFile of the whole resource into a temporary file,
//              FlushFileBuffers, MoveFileExA over the target: the least a
//              write that never leaves a half file can do
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/bench/bench_clock.h"
#include "payload/resource_copier.h"
#include "payload/resource_spec.h"

static HANDLE finished;
static volatile unsigned int lastReport;
static volatile unsigned int failure;

static int OnReport(unsigned int percent)
{
    lastReport = percent;
    if (percent == 100)
        SetEvent(finished);
    return 0;
}

static int OnFailure(unsigned int error)
{
    failure = error;
    SetEvent(finished);
    return 0;
}

static int Fail(const char *what, DWORD error)
{
    fprintf(stderr, "copier_bench: %s failed, error %lu\n", what, (unsigned long)error);
    return 0;
}

static int TimeCopier(ResourceCopier *copier, const std::string &specifier, const std::string &target, double *ms)
{
    ResetEvent(finished);
    failure = 0;
    lastReport = 0;
    double start = Now();
    if (!copier->StartCopy(specifier.c_str(), target.c_str()))
        return Fail("StartCopy", GetLastError());
    if (WaitForSingleObject(finished, 120000) != WAIT_OBJECT_0 || failure != 0 || lastReport != 100)
        return Fail("the copy", failure);
    *ms = Now() - start;
    copier->StopCopy();
    return 1;
}

static int TimeCopyFile(const std::string &source, const std::string &target, double *ms)
{
    double start = Now();
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return Fail("CopyFileA", GetLastError());
    *ms = Now() - start;
    return 1;
}

static int TimeSafeWrite(const char *data, DWORD size, const std::string &target, double *ms)
{
    std::string temporary = target + ".new";
    double start = Now();
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return Fail("CreateFileA", GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, size, &written, NULL) && written == size && FlushFileBuffers(file);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok)
        return Fail("WriteFile", error);
    if (!MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail("MoveFileExA", GetLastError());
    *ms = Now() - start;
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: copier_bench <scratch folder> [runs]\n");
        return 2;
    }
    std::string folder = argv[1];
    int runs = argc > 2 ? atoi(argv[2]) : 7;
    if (runs < 1)
        runs = 1;
    CreateDirectoryA(folder.c_str(), NULL);
    finished = CreateEventA(NULL, TRUE, FALSE, NULL);
    ResourceCopier copier;
    copier.SetProgressCallback(OnReport);
    copier.SetFailureCallback(OnFailure);

    static const struct { const char *name; const char *specifier; } payloads[] = {
        {"archive", "%BINARY%ID_BENCH_ARCHIVE"},
        {"64MiB", "%BINARY%ID_BENCH_LARGE"},
    };
    int ok = 1;
    for (const auto &payload : payloads) {
        HRSRC resource = FindResourceBySpec(payload.specifier);
        HGLOBAL loaded = resource ? LoadResource(NULL, resource) : NULL;
        const char *data = loaded ? (const char *)LockResource(loaded) : NULL;
        DWORD size = resource ? SizeofResource(NULL, resource) : 0;
        if (data == NULL || size == 0)
            return Fail(payload.specifier, GetLastError()), 1;
        std::string source = folder + "\\source-" + payload.name;
        std::string target = folder + "\\target-" + payload.name;
        double ms = 0;
        // The source file for CopyFileA, and a target to replace from the
        // first timed run on, as the installer finds one.
        if (!TimeSafeWrite(data, size, source, &ms) || !TimeSafeWrite(data, size, target, &ms))
            return 1;

        // The methods take turns within each round, so a slow phase of the
        // machine hits all three alike.
        std::vector<double> copierTimes, copyFileTimes, safeWriteTimes;
        for (int round = 0; round < runs && ok; ++round) {
            ok = TimeCopier(&copier, payload.specifier, target, &ms);
            copierTimes.push_back(ms);
            ok = ok && TimeCopyFile(source, target, &ms);
            copyFileTimes.push_back(ms);
            ok = ok && TimeSafeWrite(data, size, target, &ms);
            safeWriteTimes.push_back(ms);
        }
        if (!ok)
            return 1;
        printf("copy|%s|%lu|copier|%.2f|%d\n", payload.name, (unsigned long)size, Median(copierTimes), runs);
        printf("copy|%s|%lu|copyfile|%.2f|%d\n", payload.name, (unsigned long)size, Median(copyFileTimes), runs);
        printf("copy|%s|%lu|safewrite|%.2f|%d\n", payload.name, (unsigned long)size, Median(safeWriteTimes), runs);
        fflush(stdout);
        DeleteFileA(source.c_str());
        DeleteFileA(target.c_str());
    }
    RemoveDirectoryA(folder.c_str());
    return 0;
}
