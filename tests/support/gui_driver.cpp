// Cross-process GUI driving for the tests (see gui_driver.h).
#include "tests/support/gui_driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "util/dbcs_search.h"

DrivenProcess::DrivenProcess()
{
    ZeroMemory(&info, sizeof(info));
}

DrivenProcess::~DrivenProcess()
{
    Kill();
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
}

int DrivenProcess::Launch(const std::string &exe, const std::string &workingDir,
                          const std::string &arguments)
{
    if (info.hProcess)
        return 0;
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof(started));
    if (!CreateProcessA(exe.c_str(), writable.data(), NULL, NULL, FALSE, 0, NULL,
                        workingDir.empty() ? NULL : workingDir.c_str(), &startup, &started))
        return 0;
    info = started;
    return 1;
}

int DrivenProcess::Running() const
{
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

int DrivenProcess::WaitForExit(DWORD timeoutMs, DWORD *exitCode)
{
    if (!info.hProcess || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return 0;
    return GetExitCodeProcess(info.hProcess, exitCode) != 0;
}

void DrivenProcess::Kill()
{
    if (Running()) {
        TerminateProcess(info.hProcess, 0xDEAD);
        WaitForSingleObject(info.hProcess, GuiWaitMs);
    }
}

struct WindowSearch {
    DWORD processId;     // 0: any
    HWND owner;          // NULL: not looked at
    HWND except;
    const char *className;
    const char *caption;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectTopWindow(HWND window, LPARAM context)
{
    WindowSearch *search = (WindowSearch *)context;
    if (!IsWindowVisible(window) || window == search->except)
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (search->processId && processId != search->processId)
        return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    if (search->className && lstrcmpiA(ClassNameOf(window).c_str(), search->className) != 0)
        return TRUE;
    if (search->caption && WindowTextOf(window) != search->caption)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

static HWND WaitForTopWindow(WindowSearch *search, DWORD timeoutMs, DWORD pollMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        search->found.clear();
        EnumWindows(CollectTopWindow, (LPARAM)search);
        if (!search->found.empty())
            return search->found[0];
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        Sleep(pollMs);
    }
}

HWND WaitForProcessWindow(DWORD processId, const char *className, const char *caption,
                          DWORD timeoutMs, DWORD pollMs)
{
    WindowSearch search = {processId, NULL, NULL, className, caption, {}};
    return WaitForTopWindow(&search, timeoutMs, pollMs);
}

HWND WaitForOwnedWindow(HWND owner, const char *className, DWORD timeoutMs, HWND except,
                        DWORD pollMs)
{
    if (!owner)
        return NULL;
    WindowSearch search = {0, owner, except, className, NULL, {}};
    return WaitForTopWindow(&search, timeoutMs, pollMs);
}

std::vector<HWND> OwnedWindows(HWND owner)
{
    WindowSearch search = {0, owner, NULL, NULL, NULL, {}};
    if (owner)
        EnumWindows(CollectTopWindow, (LPARAM)&search);
    return search.found;
}

int SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result,
                    DWORD timeoutMs)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
        return 0;
    if (result)
        *result = (LRESULT)answer;
    return 1;
}

std::string WindowTextOf(HWND window)
{
    char text[1024];
    LRESULT length = 0;
    text[0] = '\0';
    if (!window || !SendWithTimeout(window, WM_GETTEXT, sizeof(text), (LPARAM)text, &length))
        return std::string();
    if (length <= 0)
        return std::string();
    if ((size_t)length >= sizeof(text))
        length = sizeof(text) - 1;
    return std::string(text, (size_t)length);
}

std::string ClassNameOf(HWND window)
{
    char name[260];
    int length = GetClassNameA(window, name, sizeof(name));
    if (length <= 0 || length >= (int)sizeof(name))
        return std::string();
    return std::string(name, (size_t)length);
}

std::string ControlText(HWND dialog, int id)
{
    return WindowTextOf(GetDlgItem(dialog, id));
}

int ControlEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return -1;
    return IsWindowEnabled(control) ? 1 : 0;
}

std::vector<std::string> ChildTexts(HWND parent, const char *className)
{
    std::vector<std::string> texts;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (className && lstrcmpiA(ClassNameOf(child).c_str(), className) != 0)
            continue;
        std::string text = WindowTextOf(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND FocusOfThreadOf(HWND window)
{
    GUITHREADINFO thread;
    ZeroMemory(&thread, sizeof(thread));
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &thread))
        return NULL;
    return thread.hwndFocus;
}

int PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
        return 0;
    return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

int SyncWithWindow(HWND window, DWORD timeoutMs)
{
    return SendWithTimeout(window, WM_NULL, 0, 0, NULL, timeoutMs);
}

int ProgressRange(HWND bar, int *low, int *high)
{
    LRESULT l = 0, h = 0;
    if (!SendWithTimeout(bar, PBM_GETRANGE, TRUE, 0, &l) ||
        !SendWithTimeout(bar, PBM_GETRANGE, FALSE, 0, &h))
        return 0;
    *low = (int)l;
    *high = (int)h;
    return 1;
}

int ProgressPosition(HWND bar, int *position)
{
    LRESULT p = 0;
    if (!SendWithTimeout(bar, PBM_GETPOS, 0, 0, &p))
        return 0;
    *position = (int)p;
    return 1;
}

std::string MessageBoxCaption(HWND box)
{
    return WindowTextOf(box);
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    std::vector<HWND> children = ChildWindows(box);
    for (size_t i = 0; i < children.size(); ++i) {
        if (lstrcmpiA(ClassNameOf(children[i]).c_str(), "Static") != 0)
            continue;
        std::string part = WindowTextOf(children[i]);
        if (part.empty())
            continue;
        if (!text.empty())
            text += "\n";
        text += part;
    }
    return text;
}

static BOOL CALLBACK FindTreeView(HWND window, LPARAM context)
{
    if (lstrcmpiA(ClassNameOf(window).c_str(), WC_TREEVIEWA) == 0) {
        *(HWND *)context = window;
        return FALSE;
    }
    return TRUE;
}

// Memory in another process for messages that take pointers; freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size) : process(process), address(NULL)
    {
        if (process)
            address = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (address)
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    char *At(SIZE_T offset) const { return (char *)address + offset; }
    int Write(SIZE_T offset, const void *data, SIZE_T size) const
    {
        SIZE_T done = 0;
        return address && WriteProcessMemory(process, At(offset), data, size, &done) && done == size;
    }
    int Read(SIZE_T offset, void *data, SIZE_T size) const
    {
        SIZE_T done = 0;
        return address && ReadProcessMemory(process, At(offset), data, size, &done) && done == size;
    }
    HANDLE process;
    void *address;
};

// The text of the tree's selected item, read through memory in its process.
static std::string SelectedTreeItemText(HWND tree, const RemoteBlock &block, SIZE_T offset)
{
    LRESULT item = 0;
    if (!SendWithTimeout(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item) || !item)
        return std::string();
    TVITEMA query;
    ZeroMemory(&query, sizeof(query));
    query.mask = TVIF_TEXT;
    query.hItem = (HTREEITEM)item;
    query.pszText = block.At(offset + sizeof(TVITEMA));
    query.cchTextMax = 260;
    char empty = '\0';
    if (!block.Write(offset, &query, sizeof(query)) ||
        !block.Write(offset + sizeof(TVITEMA), &empty, 1))
        return std::string();
    LRESULT ok = 0;
    if (!SendWithTimeout(tree, TVM_GETITEMA, 0, (LPARAM)block.At(offset), &ok) || !ok)
        return std::string();
    char text[261];
    if (!block.Read(offset + sizeof(TVITEMA), text, 260))
        return std::string();
    text[260] = '\0';
    return text;
}

int ChooseFolderInBrowser(HWND browser, const std::string &path, DWORD timeoutMs)
{
    HWND tree = NULL;
    EnumChildWindows(browser, FindTreeView, (LPARAM)&tree);
    if (!tree || path.empty() || path.size() >= 260)
        return 0;
    // The tree shows the folder's own name: the part after the last backslash.
    std::string folder = path;
    const char *last = FindLastCharDbcs(folder.c_str(), '\\');
    if (folder.size() > 3 && last == folder.c_str() + folder.size() - 1)
        folder.erase(folder.size() - 1);
    const char *cut = FindLastCharDbcs(folder.c_str(), '\\');
    std::string leaf = cut ? cut + 1 : folder;
    if (leaf.empty()) {
        // A drive root has no name of its own: the tree shows what the shell
        // calls it (this process asks the same shell in the same prefix).
        SHFILEINFOA shown;
        ZeroMemory(&shown, sizeof(shown));
        if (!SHGetFileInfoA(path.c_str(), 0, &shown, sizeof(shown), SHGFI_DISPLAYNAME))
            return 0;
        leaf = shown.szDisplayName;
    }

    DWORD processId = 0;
    GetWindowThreadProcessId(browser, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return 0;
    int chosen = 0;
    {
        RemoteBlock block(process, 4096);
        const SIZE_T itemOffset = 512;
        if (block.Write(0, folder.c_str(), folder.size() + 1)) {
            DWORD start = GetTickCount();
            for (;;) {
                SendWithTimeout(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)block.At(0));
                SyncWithWindow(browser);
                if (lstrcmpiA(SelectedTreeItemText(tree, block, itemOffset).c_str(), leaf.c_str()) == 0) {
                    chosen = 1;
                    break;
                }
                if (GetTickCount() - start >= timeoutMs)
                    break;
                Sleep(100);
            }
        }
    }
    CloseHandle(process);
    return chosen && PressButton(browser, IDOK);
}
