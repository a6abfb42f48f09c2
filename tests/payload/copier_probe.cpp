// Recording callbacks and helpers for the copier tests (see copier_probe.h).
#include "tests/payload/copier_probe.h"

#include <cstdio>

#include "tests/support/test_paths.h"

CopyProbe Probe;

void ResetProbe(ResourceCopier *watched)
{
    Probe.reports.clear();
    Probe.reports.reserve(1024);
    Probe.failures.clear();
    Probe.failures.reserve(16);
    Probe.holdAtReport = -1;
    if (Probe.heldEvent == NULL)
        Probe.heldEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (Probe.releaseEvent == NULL)
        Probe.releaseEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    ResetEvent(Probe.heldEvent);
    ResetEvent(Probe.releaseEvent);
    Probe.watched = watched;
    Probe.onReport = NULL;
}

int RecordProgress(unsigned int percent)
{
    size_t index = Probe.reports.size();
    Probe.reports.push_back(percent);
    if (Probe.onReport != NULL)
        Probe.onReport(index, percent);
    if (Probe.holdAtReport >= 0 && index == (size_t)Probe.holdAtReport) {
        SetEvent(Probe.heldEvent);
        for (int waited = 0; waited < 20000; ++waited) {
            if (WaitForSingleObject(Probe.releaseEvent, 1) == WAIT_OBJECT_0)
                break;
            if (Probe.watched != NULL && Probe.watched->stopRequested)
                break;
        }
    }
    return 0;
}

int RecordFailure(unsigned int error)
{
    Probe.failures.push_back(error);
    return 0;
}

std::vector<unsigned> ExpectedReports(unsigned long size)
{
    std::vector<unsigned> reports;
    unsigned long chunk = size / 100 ? size / 100 : 1;
    for (unsigned long written = chunk; written < size; written += chunk)
        reports.push_back((unsigned)((unsigned long long)written * 100 / size));
    reports.push_back(100);
    return reports;
}

std::vector<unsigned> CountingReports(unsigned last)
{
    std::vector<unsigned> reports;
    for (unsigned i = 0; i <= last; ++i)
        reports.push_back(i);
    return reports;
}

std::string ResourceBytes(const char *name, int *found)
{
    HRSRC resource = FindResourceA(NULL, name, "BINARY");
    if (found != NULL)
        *found = resource != NULL;
    if (resource == NULL)
        return std::string();
    DWORD size = SizeofResource(NULL, resource);
    const char *data = (const char *)LockResource(LoadResource(NULL, resource));
    return size == 0 ? std::string() : std::string(data, size);
}

int WaitForWorker(const ResourceCopier &copier, DWORD milliseconds)
{
    return copier.threadHandle != NULL &&
           WaitForSingleObject(copier.threadHandle, milliseconds) == WAIT_OBJECT_0;
}

std::string Describe(const std::vector<unsigned> &values)
{
    std::string text = "[";
    char number[16];
    for (size_t i = 0; i < values.size(); ++i) {
        snprintf(number, sizeof(number), i ? ",%u" : "%u", values[i]);
        text += number;
    }
    return text + "] (" + std::to_string(values.size()) + " values)";
}

HANDLE StartChild(const std::string &arguments)
{
    std::string exe = TestBuildDir() + "\\tests\\copier_child.exe";
    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string UniqueEventName(const char *tag)
{
    static LONG counter = 0;
    char name[96];
    snprintf(name, sizeof(name), "copier-%s-%lu-%ld", tag, GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    return name;
}
