// Recording callbacks for the copier tests. The progress callback can hold
// the worker at a chosen report, so a test knows exactly which chunk the
// worker has reached instead of relying on timing.
#ifndef TESTS_PAYLOAD_COPIER_PROBE_H
#define TESTS_PAYLOAD_COPIER_PROBE_H

#include <windows.h>

#include <string>
#include <vector>

#include "payload/resource_copier.h"

struct CopyProbe {
    std::vector<unsigned> reports;   // every progress report, in order
    std::vector<unsigned> failures;  // every failure callback's error
    // When the report with this index (0-based) is made, the worker sets
    // heldEvent and stays inside the callback until releaseEvent is set or
    // watched->stopRequested is (at most 20 s). -1: never held.
    int holdAtReport;
    HANDLE heldEvent;
    HANDLE releaseEvent;
    ResourceCopier *watched;
    // Called on the worker for every report, after it is recorded.
    void (*onReport)(size_t index, unsigned percent);
};
extern CopyProbe Probe;

// Clears the records and the hold, (re)creating the events.
void ResetProbe(ResourceCopier *watched);
int RecordProgress(unsigned int percent);
int RecordFailure(unsigned int error);

// The reports a complete copy of a payload of this size makes: after each
// chunk of size / 100 bytes (at least 1) floor(written * 100 / size), with
// the report of the last chunk always 100.
std::vector<unsigned> ExpectedReports(unsigned long size);
// The reports 0, 1, ..., last.
std::vector<unsigned> CountingReports(unsigned last);

// The bytes of a BINARY resource of this executable ("" with *found = 0 when absent).
std::string ResourceBytes(const char *name, int *found = NULL);
// Waits until the copier's worker has ended by itself; 1 when it has.
int WaitForWorker(const ResourceCopier &copier, DWORD milliseconds);
// Printable form of a report list, for failure messages.
std::string Describe(const std::vector<unsigned> &values);

// Launches <build>\tests\copier_child.exe with these arguments; returns its
// process handle (caller closes) or NULL.
HANDLE StartChild(const std::string &arguments);
// A name for a named event unique to this process and call.
std::string UniqueEventName(const char *tag);

#endif
