// BrowseForFolder with the real shell folder browser. The browser is modal on
// the thread that calls it, so a second thread drives it: it finds the
// browser (a #32770 window of this process), asks it to select a folder with
// BFFM_SETSELECTIONA until the tree's caret item is that folder, and presses
// OK; or it presses Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "tests/support/temp_folder.h"
#include "util/dbcs_search.h"
#include "util/folder_browser.h"

namespace {

const unsigned char Sentinel = 'Q';
const char Title[] = "インストール先のフォルダを選んでください";

struct Drive {
    // asked
    std::string select;  // folder to choose; empty: cancel
    // seen
    HWND browser = NULL;
    HWND owner = NULL;
    int titleShown = 0;
    int selected = 0;
    std::string caretText;
};

BOOL CALLBACK FindBrowser(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32];
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        GetClassNameA(window, className, sizeof(className)) && !strcmp(className, "#32770")) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTitle(HWND child, LPARAM drive)
{
    char text[256];
    if (GetWindowTextA(child, text, sizeof(text)) && !strcmp(text, Title))
        ((Drive *)drive)->titleShown = 1;
    return TRUE;
}

std::string CaretText(HWND tree)
{
    HTREEITEM item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!item)
        return "";
    char text[MAX_PATH] = "";
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof(text);
    if (!SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&query))
        return "";
    return text;
}

// Waits at most 20 s for the browser and 20 s for the selection; whatever
// happens, the browser is closed so the test never hangs in it.
DWORD WINAPI DriveBrowser(LPVOID parameter)
{
    Drive *drive = (Drive *)parameter;
    for (int i = 0; i < 400 && !drive->browser; ++i) {
        EnumWindows(FindBrowser, (LPARAM)&drive->browser);
        if (!drive->browser)
            Sleep(50);
    }
    if (!drive->browser)
        return 0;
    drive->owner = GetWindow(drive->browser, GW_OWNER);
    EnumChildWindows(drive->browser, FindTitle, (LPARAM)drive);

    if (!drive->select.empty()) {
        // The leaf after the last real backslash: ソフト表 itself ends in 0x5C.
        const char *separator = FindLastCharDbcs(drive->select.c_str(), '\\');
        std::string leaf = separator ? separator + 1 : drive->select;
        HWND tree = FindWindowExA(drive->browser, NULL, "SysTreeView32", NULL);
        for (int i = 0; i < 400 && tree; ++i) {
            SendMessageA(drive->browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)drive->select.c_str());
            drive->caretText = CaretText(tree);
            if (drive->caretText == leaf) {
                drive->selected = 1;
                break;
            }
            Sleep(50);
        }
    }
    PostMessageA(drive->browser, WM_COMMAND, drive->selected ? IDOK : IDCANCEL, 0);
    return 0;
}

// Runs BrowseForFolder on this thread while a second thread drives it.
int Browse(Drive *drive, HWND owner, char *displayName, char *path)
{
    HANDLE driver = CreateThread(NULL, 0, DriveBrowser, drive, 0, NULL);
    if (!driver) {
        ADD_FAILURE() << "CreateThread error " << GetLastError();
        return -1;
    }
    int result = BrowseForFolder(owner, Title, displayName, path);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(driver, 60000));
    CloseHandle(driver);
    return result;
}

class FolderBrowserTest : public ::testing::Test {
protected:
    TempFolder folder{"fb"};
};

TEST_F(FolderBrowserTest, ChosenFolderGivesItsPath)
{
    const struct {
        const char *name;
        const char *folderName;
        int withOwner;
        int withDisplayName;
    } rows[] = {
        {"owned, display name asked", "pick", 1, 1},
        {"no owner, no display name, two-byte name ending in 0x5C", "ソフト表", 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string target = folder.Child(row.folderName);
        ASSERT_TRUE(CreateDirectoryA(target.c_str(), NULL)) << target << " error " << GetLastError();
        HWND owner = NULL;
        if (row.withOwner) {
            owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
            ASSERT_TRUE(owner != NULL) << "error " << GetLastError();
        }
        char path[MAX_PATH], displayName[MAX_PATH];
        memset(path, Sentinel, sizeof(path));
        memset(displayName, Sentinel, sizeof(displayName));
        Drive drive;
        drive.select = target;
        int result = Browse(&drive, owner, row.withDisplayName ? displayName : NULL, path);
        if (owner)
            DestroyWindow(owner);

        ASSERT_TRUE(drive.browser != NULL) << "no browser window appeared";
        EXPECT_EQ(owner, drive.owner);
        EXPECT_TRUE(drive.titleShown) << "the title is not shown in the browser";
        ASSERT_TRUE(drive.selected) << "the browser never selected " << target << "; caret item \""
                                    << drive.caretText << "\"";
        EXPECT_EQ(1, result);
        ASSERT_TRUE(memchr(path, 0, sizeof(path))) << "path not terminated";
        EXPECT_STREQ(target.c_str(), path);
        if (row.withDisplayName) {
            ASSERT_TRUE(memchr(displayName, 0, sizeof(displayName))) << "display name not terminated";
            // Windows gives the folder's display name; Wine's browser writes
            // the full path there instead.
            EXPECT_TRUE(std::string(displayName) == row.folderName || target == displayName)
                << "display name \"" << displayName << "\", expected \"" << row.folderName
                << "\" (or, under Wine, \"" << target << "\")";
        }
    }
}

TEST_F(FolderBrowserTest, CancelLeavesNoPathSelection)
{
    char path[MAX_PATH];
    memset(path, Sentinel, sizeof(path));
    Drive drive;
    int result = Browse(&drive, NULL, NULL, path);
    ASSERT_TRUE(drive.browser != NULL) << "no browser window appeared";
    EXPECT_EQ(0, result);
    static const char expected[] = "No path selection.";
    EXPECT_EQ(0, memcmp(expected, path, sizeof(expected)))
        << "path holds \"" << std::string(path, strnlen(path, sizeof(path))) << "\"";
    for (size_t i = sizeof(expected); i < sizeof(path); ++i)
        ASSERT_EQ(Sentinel, (unsigned char)path[i]) << "byte " << i << " written";
}

// BrowseForFolder initialises COM for the browser and undoes it: afterwards
// the thread's COM state is what it was.
TEST_F(FolderBrowserTest, LeavesTheThreadsComStateAsFound)
{
    char path[MAX_PATH];
    Drive drive;
    EXPECT_EQ(0, Browse(&drive, NULL, NULL, path));
    ASSERT_TRUE(drive.browser != NULL) << "no browser window appeared";
    HRESULT com = CoInitialize(NULL);
    EXPECT_EQ(S_OK, com) << "COM was left initialised on the thread (0x" << std::hex << com << ")";
    if (SUCCEEDED(com))
        CoUninitialize();
}

// A caller already in the multithreaded apartment still gets a browser.
struct ApartmentRun {
    std::string target;
    Drive drive;
    int result = -1;
    char path[MAX_PATH];
};

DWORD WINAPI BrowseInMultithreadedApartment(LPVOID parameter)
{
    ApartmentRun *run = (ApartmentRun *)parameter;
    if (FAILED(CoInitializeEx(NULL, COINIT_MULTITHREADED)))
        return 1;
    run->drive.select = run->target;
    run->result = Browse(&run->drive, NULL, NULL, run->path);
    CoUninitialize();
    return 0;
}

TEST_F(FolderBrowserTest, WorksFromTheMultithreadedApartment)
{
    ApartmentRun run;
    run.target = folder.Child("mta");
    ASSERT_TRUE(CreateDirectoryA(run.target.c_str(), NULL)) << "error " << GetLastError();
    HANDLE thread = CreateThread(NULL, 0, BrowseInMultithreadedApartment, &run, 0, NULL);
    ASSERT_TRUE(thread != NULL) << "error " << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    ASSERT_EQ(0u, code) << "CoInitializeEx failed";
    ASSERT_TRUE(run.drive.browser != NULL) << "no browser window appeared";
    ASSERT_TRUE(run.drive.selected) << "caret item \"" << run.drive.caretText << "\"";
    EXPECT_EQ(1, run.result);
    EXPECT_STREQ(run.target.c_str(), run.path);
}

}  // namespace
