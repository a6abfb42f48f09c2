// Driving a GUI program from a separate test process, the way a person would:
// start it, wait for its windows, read what they show, press their buttons,
// and see how it ends. Everything goes through messages the platform
// carries between processes (WM_GETTEXT, BM_CLICK, PBM_GET*), or through
// memory written into the other process where a message takes a pointer.
// Texts are ANSI in the test's code page.
#ifndef TESTS_SUPPORT_GUI_DRIVER_H
#define TESTS_SUPPORT_GUI_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

// How long the helpers wait for a window or a process before giving up.
// Generous: only there so a broken program cannot hang a test forever.
const DWORD GuiWaitMs = 20000;

// A program started by a test. The destructor ends it if it still runs, so a
// failed assertion never leaves it behind.
class DrivenProcess {
public:
    DrivenProcess();
    ~DrivenProcess();
    // Starts exe (quoted as the command line's first word, then arguments)
    // with the given working folder (empty: the caller's). 1 on success.
    int Launch(const std::string &exe, const std::string &workingDir = std::string(),
               const std::string &arguments = std::string());
    DWORD Id() const { return info.dwProcessId; }
    HANDLE Handle() const { return info.hProcess; }
    // 1 while started and not yet ended.
    int Running() const;
    // Waits for the process to end; 1 and its exit code, or 0 on timeout.
    int WaitForExit(DWORD timeoutMs, DWORD *exitCode);
    // Ends it at once (exit code 0xDEAD); a no-op when it has ended.
    void Kill();

private:
    DrivenProcess(const DrivenProcess &) = delete;
    DrivenProcess &operator=(const DrivenProcess &) = delete;
    PROCESS_INFORMATION info;
};

// A visible top-level window of that process with this class (NULL: any)
// and caption (NULL: any); NULL when none showed up within timeoutMs.
// pollMs: how often to look (a benchmark timing a window's appearance asks
// for 1).
HWND WaitForProcessWindow(DWORD processId, const char *className, const char *caption,
                          DWORD timeoutMs = GuiWaitMs, DWORD pollMs = 50);
// A visible top-level window owned by owner (a message box, a folder
// browser) of this class (NULL: any), other than except; NULL on timeout.
HWND WaitForOwnedWindow(HWND owner, const char *className, DWORD timeoutMs = GuiWaitMs,
                        HWND except = NULL, DWORD pollMs = 50);
// Every visible top-level window owned by owner, in z order.
std::vector<HWND> OwnedWindows(HWND owner);

// The window's text through WM_GETTEXT (empty when it has none or does not answer).
std::string WindowTextOf(HWND window);
std::string ClassNameOf(HWND window);
// The text of the dialog's control id.
std::string ControlText(HWND dialog, int id);
// The texts of parent's direct children of this class (NULL: any), in z
// order, empty ones left out.
std::vector<std::string> ChildTexts(HWND parent, const char *className);
// 1 enabled, 0 disabled, -1 no such control.
int ControlEnabled(HWND dialog, int id);
// The direct children of parent in z order (a dialog's: the template's order).
std::vector<HWND> ChildWindows(HWND parent);
// The window that has the keyboard focus in window's thread (NULL: none).
HWND FocusOfThreadOf(HWND window);

// Presses the dialog's button id as a click would (posted BM_CLICK, so a
// modal window that the press opens does not block the caller). 0 when the
// button is missing, hidden or disabled: a person could not press it.
int PressButton(HWND dialog, int id);
// Returns once the window's thread has handled everything sent before; 0
// when it does not answer within timeoutMs.
int SyncWithWindow(HWND window, DWORD timeoutMs = GuiWaitMs);
// Sends a message with a timeout; 1 when it was handled, its result in *result.
int SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT *result = NULL, DWORD timeoutMs = GuiWaitMs);

// A progress bar's range and position; 0 when the bar does not answer.
int ProgressRange(HWND bar, int *low, int *high);
int ProgressPosition(HWND bar, int *position);

// A message box's caption and text (its Static children with text, joined
// by "\n" in z order).
std::string MessageBoxCaption(HWND box);
std::string MessageBoxText(HWND box);

// In a folder browser (SHBrowseForFolder) of another process: selects path,
// repeating until the tree really shows it selected (a browser that has just
// opened may ignore the first request), then presses OK. 1 on success.
// A drive root ("P:\") is recognised in the tree by the shell's display
// name for it.
int ChooseFolderInBrowser(HWND browser, const std::string &path, DWORD timeoutMs = GuiWaitMs);

#endif
