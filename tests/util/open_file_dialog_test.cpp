// The open-file dialog wrapper with the real common dialog under Wine. A
// driver thread finds the dialog of this process, types names into its
// file-name box and presses OK or Cancel, as a user would. What the dialog
// received is recorded by wrapping the real GetOpenFileNameA; only the error
// box tests replace the dialog, to provoke error codes the real one will not
// give on request.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "util/open_file_dialog.h"

// ---- What reached the platform -------------------------------------------

static OPENFILENAMEA received;
static const OPENFILENAMEA *receivedAddress;
static int receivedCalls;
static unsigned char receivedFirstBytes[2];

static BOOL WINAPI RecordingGetOpenFileName(LPOPENFILENAMEA ofn)
{
    ++receivedCalls;
    received = *ofn;
    receivedAddress = ofn;
    receivedFirstBytes[0] = (unsigned char)ofn->lpstrFile[0];
    receivedFirstBytes[1] = (unsigned char)ofn->lpstrFile[FILE_SELECTION_BUFFER_SIZE - 1];
    return GetOpenFileNameA(ofn);
}

static DWORD fakeErrorCode;
static BOOL WINAPI FailingGetOpenFileName(LPOPENFILENAMEA ofn)
{
    ++receivedCalls;
    received = *ofn;
    receivedAddress = ofn;
    return FALSE;
}
static DWORD WINAPI FakeCommDlgExtendedError(void)
{
    return fakeErrorCode;
}

// ---- Driver thread --------------------------------------------------------

static const DWORD WaitLimitMs = 20000;

static std::string WindowText(HWND window)
{
    char text[512];
    int n = GetWindowTextA(window, text, sizeof(text));
    return n > 0 ? std::string(text, n) : std::string();
}

static std::string ClassOf(HWND window)
{
    char name[64];
    int n = GetClassNameA(window, name, sizeof(name));
    return n > 0 ? std::string(name, n) : std::string();
}

struct FindDialog {
    DWORD process;
    HWND exclude;
    HWND found;
};
static BOOL CALLBACK FindDialogProc(HWND window, LPARAM param)
{
    FindDialog *find = (FindDialog *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == find->process && window != find->exclude && IsWindowVisible(window) &&
        ClassOf(window) == "#32770") {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}
// A visible top-level dialog of this process other than exclude, or NULL.
static HWND FindOwnDialog(HWND exclude)
{
    FindDialog find = {GetCurrentProcessId(), exclude, NULL};
    EnumWindows(FindDialogProc, (LPARAM)&find);
    return find.found;
}

// The message box's parts, gathered from its children.
struct BoxParts {
    std::string text;
    HICON icon = NULL;
    int iconStatics = 0;
    std::vector<int> buttons;
};
static BOOL CALLBACK BoxChildProc(HWND child, LPARAM param)
{
    BoxParts *parts = (BoxParts *)param;
    std::string cls = ClassOf(child);
    if (lstrcmpiA(cls.c_str(), "Static") == 0) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            ++parts->iconStatics;
            parts->icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        } else if (IsWindowVisible(child)) {
            std::string text = WindowText(child);
            if (!text.empty())
                parts->text = text;
        }
    } else if (lstrcmpiA(cls.c_str(), "Button") == 0 && IsWindowVisible(child)) {
        parts->buttons.push_back(GetDlgCtrlID(child));
    }
    return TRUE;
}

enum DriverAction { TypeNamesAndOk, PressCancel, ReadBoxAndOk };

struct Driver {
    DriverAction action;
    std::string names;   // what TypeNamesAndOk types into the file-name box
    HWND owner;          // never taken for the dialog
    HANDLE finished;     // set by the test when OpenFileDialog has returned
    // What the driver saw.
    int dialogFound = 0;
    int dialogClosed = 0;
    std::string caption;
    std::string filterShown;   // the file-type box's selected text
    int filterCount = -1;
    HWND dialogOwner = NULL;
    BoxParts box;
    std::vector<std::string> unexpected;  // texts of other windows that came up
};

// The dialog's file-name box: an edit (edt1) or an editable combo (cmb13).
static HWND FileNameBox(HWND dialog)
{
    HWND box = GetDlgItem(dialog, cmb13);
    if (box == NULL)
        box = GetDlgItem(dialog, edt1);
    return box;
}

static HWND WaitForDialog(HWND exclude)
{
    for (DWORD waited = 0; waited < WaitLimitMs; waited += 50) {
        HWND dialog = FindOwnDialog(exclude);
        if (dialog != NULL && GetDlgItem(dialog, IDOK) != NULL)
            return dialog;
        Sleep(50);
    }
    return NULL;
}

static int WaitUntilGone(HWND window)
{
    for (DWORD waited = 0; waited < WaitLimitMs; waited += 50) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return 1;
        Sleep(50);
    }
    return 0;
}

static DWORD WINAPI DriverThread(LPVOID param)
{
    Driver *d = (Driver *)param;
    HWND dialog = WaitForDialog(d->owner);
    if (dialog != NULL) {
        d->dialogFound = 1;
        d->caption = WindowText(dialog);
        d->dialogOwner = GetWindow(dialog, GW_OWNER);
        if (d->action == ReadBoxAndOk) {
            EnumChildWindows(dialog, BoxChildProc, (LPARAM)&d->box);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         (LPARAM)GetDlgItem(dialog, IDOK));
        } else {
            HWND types = GetDlgItem(dialog, cmb1);
            if (types != NULL) {
                d->filterCount = (int)SendMessageA(types, CB_GETCOUNT, 0, 0);
                int selected = (int)SendMessageA(types, CB_GETCURSEL, 0, 0);
                char text[256] = "";
                if (selected >= 0 &&
                    SendMessageA(types, CB_GETLBTEXTLEN, selected, 0) < (LRESULT)sizeof(text))
                    SendMessageA(types, CB_GETLBTEXT, selected, (LPARAM)text);
                d->filterShown = text;
            }
            if (d->action == TypeNamesAndOk) {
                SetWindowTextA(FileNameBox(dialog), d->names.c_str());
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             (LPARAM)GetDlgItem(dialog, IDOK));
            } else {
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             (LPARAM)GetDlgItem(dialog, IDCANCEL));
            }
        }
    }
    // Until the test's call has returned, any further window is unexpected
    // (a "file not found" notice, an error box after a cancel): note its
    // text and close it so that the call can return.
    while (WaitForSingleObject(d->finished, 50) == WAIT_TIMEOUT) {
        if (dialog != NULL && !d->dialogClosed && !IsWindow(dialog))
            d->dialogClosed = 1;
        HWND other = FindOwnDialog(d->owner);
        if (other != NULL && other != dialog) {
            BoxParts parts;
            EnumChildWindows(other, BoxChildProc, (LPARAM)&parts);
            d->unexpected.push_back(WindowText(other) + ": " + parts.text);
            PostMessageA(other, WM_CLOSE, 0, 0);
            WaitUntilGone(other);
        } else if (other == dialog && dialog != NULL && d->dialogClosed == 0 &&
                   d->unexpected.size() > 0) {
            // The dialog stayed after a notice: give up on it.
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    if (dialog != NULL && !IsWindow(dialog))
        d->dialogClosed = 1;
    return 0;
}

// ---- Fixture --------------------------------------------------------------

class OpenFileDialogTest : public ::testing::Test {
protected:
    TempFolder folder{"ソフト"};  // 0x5C trail byte in the folder name
    HWND owner = NULL;
    // The dialog makes the chosen folder the current one (no OFN_NOCHANGEDIR),
    // which would keep the temporary folder from being removed.
    char startFolder[MAX_PATH] = "";

    void SetUp() override
    {
        DWORD n = GetCurrentDirectoryA(sizeof(startFolder), startFolder);
        ASSERT_TRUE(n > 0 && n < sizeof(startFolder)) << GetLastError();
        receivedCalls = 0;
        receivedAddress = NULL;
        ZeroMemory(&received, sizeof(received));
        for (const char *name : {"a", "b", "c", "note.txt"})
            ASSERT_TRUE(WriteFileBytes(folder.Child(name), "x"));
        owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                                NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(owner != NULL) << GetLastError();
        SetOpenFileDialogCalls(RecordingGetOpenFileName, NULL);
    }
    void TearDown() override
    {
        if (startFolder[0] != 0)
            SetCurrentDirectoryA(startFolder);
        SetOpenFileDialogCalls(NULL, NULL);
        if (owner != NULL)
            DestroyWindow(owner);
    }

    // Runs OpenFileDialog with a driver doing action; returns its result.
    int RunDialog(Driver *driver, FileSelection **selection, const char *title, const char *filter,
                  const char *initialDir, const char *defaultExt, int multiSelect)
    {
        driver->owner = owner;
        driver->finished = CreateEventA(NULL, TRUE, FALSE, NULL);
        HANDLE thread = CreateThread(NULL, 0, DriverThread, driver, 0, NULL);
        EXPECT_TRUE(thread != NULL) << GetLastError();
        int result = OpenFileDialog(owner, selection, title, filter, initialDir, defaultExt,
                                    multiSelect);
        SetEvent(driver->finished);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, WaitLimitMs));
        CloseHandle(thread);
        CloseHandle(driver->finished);
        EXPECT_TRUE(driver->dialogFound) << "no dialog came up";
        EXPECT_TRUE(driver->unexpected.empty()) << "unexpected window: " << driver->unexpected[0];
        return result;
    }

    // Every NextSelectedFile path up to and including the one returning 0.
    static std::vector<std::string> WalkSelection(FileSelection *selection,
                                                  std::vector<int> *results)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < 10; ++i) {
            char path[MAX_PATH];
            int more = NextSelectedFile(selection, path, sizeof(path));
            paths.push_back(path);
            results->push_back(more);
            if (!more)
                break;
        }
        return paths;
    }

    void ExpectStructure(const char *title, const char *filter, const char *initialDir,
                         const char *defaultExt, DWORD flags)
    {
        ASSERT_EQ(1, receivedCalls);
        EXPECT_EQ(76u, received.lStructSize);
        EXPECT_EQ(owner, received.hwndOwner);
        EXPECT_EQ(flags, received.Flags);
        EXPECT_EQ(1u, received.nFilterIndex);
        EXPECT_EQ((DWORD)FILE_SELECTION_BUFFER_SIZE, received.nMaxFile);
        EXPECT_EQ((LPARAM)receivedAddress, received.lCustData) << "lCustData is the structure";
        EXPECT_TRUE(received.lpstrTitle == title);
        EXPECT_TRUE(received.lpstrFilter == filter);
        EXPECT_TRUE(received.lpstrInitialDir == initialDir);
        EXPECT_TRUE(received.lpstrDefExt == defaultExt);
        EXPECT_TRUE(received.hInstance == NULL && received.lpstrCustomFilter == NULL &&
                    received.nMaxCustFilter == 0 && received.lpstrFileTitle == NULL &&
                    received.nMaxFileTitle == 0 && received.nFileOffset == 0 &&
                    received.nFileExtension == 0 && received.lpfnHook == NULL &&
                    received.lpTemplateName == NULL)
            << "fields that should be zero";
        EXPECT_TRUE(received.lpstrFile != NULL);
        EXPECT_EQ(0, receivedFirstBytes[0]) << "the dialog should start with an empty name";
        EXPECT_EQ(0, receivedFirstBytes[1]);
    }
};

TEST_F(OpenFileDialogTest, ThreeFilesWithMultiSelection)
{
    const int switches[] = {1, 2};
    for (int multiSelect : switches) {
        SCOPED_TRACE(testing::Message() << "switch " << multiSelect);
        receivedCalls = 0;
        Driver driver;
        driver.action = TypeNamesAndOk;
        driver.names = "\"a\" \"b\" \"c\"";
        FileSelection *selection = NULL;
        int result = RunDialog(&driver, &selection, "三つ選ぶ", NULL, folder.Path().c_str(), NULL,
                               multiSelect);
        EXPECT_NE(0, result);
        ExpectStructure("三つ選ぶ", NULL, folder.Path().c_str(), NULL, 0x81200);
        EXPECT_EQ("三つ選ぶ", driver.caption) << "the title should reach the dialog";
        EXPECT_EQ(owner, driver.dialogOwner);
        ASSERT_TRUE(selection != NULL);
        std::vector<int> results;
        std::vector<std::string> paths = WalkSelection(selection, &results);
        ASSERT_EQ(3u, paths.size());
        EXPECT_EQ(folder.Child("a"), paths[0]);
        EXPECT_EQ(folder.Child("b"), paths[1]);
        EXPECT_EQ(folder.Child("c"), paths[2]);
        EXPECT_EQ(1, results[0]);
        EXPECT_EQ(1, results[1]);
        EXPECT_EQ(0, results[2]);
        FreeFileSelection(selection);
    }
}

TEST_F(OpenFileDialogTest, OneFileWithAndWithoutMultiSelection)
{
    const struct { int multiSelect; DWORD flags; } cases[] = {{0, 0x81000}, {1, 0x81200}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "switch " << c.multiSelect);
        receivedCalls = 0;
        Driver driver;
        driver.action = TypeNamesAndOk;
        driver.names = "b";
        FileSelection *selection = NULL;
        int result = RunDialog(&driver, &selection, NULL, NULL, folder.Path().c_str(), NULL,
                               c.multiSelect);
        EXPECT_NE(0, result);
        ExpectStructure(NULL, NULL, folder.Path().c_str(), NULL, c.flags);
        ASSERT_TRUE(selection != NULL);
        std::vector<int> results;
        std::vector<std::string> paths = WalkSelection(selection, &results);
        ASSERT_EQ(1u, paths.size());
        EXPECT_EQ(folder.Child("b"), paths[0]);
        EXPECT_EQ(0, results[0]);
        FreeFileSelection(selection);
    }
}

TEST_F(OpenFileDialogTest, FilterAndDefaultExtensionReachTheDialog)
{
    static const char filter[] = "テキスト (*.txt)\0*.txt\0すべて (*.*)\0*.*\0";
    Driver driver;
    driver.action = TypeNamesAndOk;
    // Wine checks that a typed name exists before it adds the default
    // extension, so "note" alone would be refused here: the extension's own
    // effect cannot be shown, only that it reached the dialog.
    driver.names = "note.txt";
    FileSelection *selection = NULL;
    int result = RunDialog(&driver, &selection, NULL, filter, folder.Path().c_str(), "txt", 0);
    EXPECT_NE(0, result);
    ExpectStructure(NULL, filter, folder.Path().c_str(), "txt", 0x81000);
    EXPECT_EQ(2, driver.filterCount);
    EXPECT_EQ("テキスト (*.txt)", driver.filterShown) << "the first pair is preselected";
    ASSERT_TRUE(selection != NULL);
    char path[MAX_PATH];
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_EQ(folder.Child("note.txt"), path);
    FreeFileSelection(selection);
}

TEST_F(OpenFileDialogTest, AllOptionalArgumentsNull)
{
    Driver driver;
    driver.action = TypeNamesAndOk;
    driver.names = folder.Child("c");  // no initial folder: a full path
    FileSelection *selection = NULL;
    int result = RunDialog(&driver, &selection, NULL, NULL, NULL, NULL, 0);
    EXPECT_NE(0, result);
    ExpectStructure(NULL, NULL, NULL, NULL, 0x81000);
    EXPECT_FALSE(driver.caption.empty()) << "the platform's own title";
    EXPECT_TRUE(driver.filterCount <= 0) << "no file types without a filter";
    ASSERT_TRUE(selection != NULL);
    char path[MAX_PATH];
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_EQ(folder.Child("c"), path);
    FreeFileSelection(selection);
}

TEST_F(OpenFileDialogTest, CancelGivesOneAndNull)
{
    Driver driver;
    driver.action = PressCancel;
    FileSelection *selection = (FileSelection *)0x12345678;
    int result = RunDialog(&driver, &selection, NULL, NULL, folder.Path().c_str(), NULL, 1);
    EXPECT_EQ(1, result);
    EXPECT_TRUE(selection == NULL) << "the old pointer should have been cleared";
    EXPECT_TRUE(driver.dialogClosed);
    ExpectStructure(NULL, NULL, folder.Path().c_str(), NULL, 0x81200);
}

TEST_F(OpenFileDialogTest, FailureShowsErrorBox)
{
    static const struct { DWORD code; const char *text; } cases[] = {
        {2, "GetOpenFileName()\nこの関数の呼び出しが失敗しました。\nエラーコード：0x0002"},
        {0xFFFF, "GetOpenFileName()\nこの関数の呼び出しが失敗しました。\nエラーコード：0xFFFF"},
        {0x3003, "GetOpenFileName()\nこの関数の呼び出しが失敗しました。\nエラーコード：0x3003"},
    };
    SetOpenFileDialogCalls(FailingGetOpenFileName, FakeCommDlgExtendedError);
    HICON errorIcon = LoadIconA(NULL, IDI_HAND);
    ASSERT_TRUE(errorIcon != NULL);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code);
        receivedCalls = 0;
        fakeErrorCode = c.code;
        Driver driver;
        driver.action = ReadBoxAndOk;
        FileSelection *selection = (FileSelection *)0x12345678;
        int result = RunDialog(&driver, &selection, "t", NULL, NULL, NULL, 0);
        EXPECT_EQ(0, result);
        EXPECT_TRUE(selection == NULL);
        EXPECT_EQ(1, receivedCalls);
        EXPECT_EQ("異常発生", driver.caption);
        EXPECT_EQ(c.text, driver.box.text);
        EXPECT_EQ(owner, driver.dialogOwner) << "the box should be owned by the owner";
        EXPECT_EQ(1, driver.box.iconStatics);
        EXPECT_EQ(errorIcon, driver.box.icon) << "MB_ICONERROR shows the hand icon";
        ASSERT_EQ(1u, driver.box.buttons.size()) << "a single button";
        EXPECT_EQ(IDOK, driver.box.buttons[0]);
    }
}

// ---- NextSelectedFile on hand-made selections -----------------------------

static FileSelection *MakeSelection(const char *text, int textSize)
{
    FileSelection *selection = new FileSelection;
    selection->Buffer =
        (char *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, FILE_SELECTION_BUFFER_SIZE);
    CopyMemory(selection->Buffer, text, textSize);
    selection->Cursor = lstrlenA(text) + 1;
    return selection;
}

TEST(NextSelectedFile, BufferSizes)
{
    static const char several[] = "C:\\D\0a\0bb\0";  // the array's own NUL ends the list
    static const char single[] = "C:\\D\\x.txt";
    const struct { const char *name; const char *text; int textSize; int pathSize;
                   const char *expected; int result; int moved; } cases[] = {
        {"several, too small", several, sizeof(several), 6, "", 0, 0},
        {"several, exact", several, sizeof(several), 7, "C:\\D\\a", 1, 1},
        {"several, ample", several, sizeof(several), 40, "C:\\D\\a", 1, 1},
        {"single, too small", single, sizeof(single), 10, "", 0, 0},
        {"single, exact", single, sizeof(single), 11, "C:\\D\\x.txt", 0, 1},
        {"single, ample", single, sizeof(single), 40, "C:\\D\\x.txt", 0, 1},
        {"single, one byte", single, sizeof(single), 1, "", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FileSelection *selection = MakeSelection(c.text, c.textSize);
        int cursor = selection->Cursor;
        char path[64];
        FillMemory(path, sizeof(path), 0xCC);
        EXPECT_EQ(c.result, NextSelectedFile(selection, path, c.pathSize));
        EXPECT_STREQ(c.expected, path);
        for (int i = c.pathSize; i < (int)sizeof(path); ++i)
            ASSERT_EQ(0xCC, (unsigned char)path[i]) << "written past the size at " << i;
        if (c.moved)
            EXPECT_NE(cursor, selection->Cursor);
        else
            EXPECT_EQ(cursor, selection->Cursor) << "a refused path should not move on";
        FreeFileSelection(selection);
    }
}

TEST(NextSelectedFile, RefusedPathIsGivenOutLater)
{
    static const char several[] = "C:\\D\0a\0longer-name\0";
    FileSelection *selection = MakeSelection(several, sizeof(several));
    char path[MAX_PATH];
    EXPECT_EQ(1, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_STREQ("C:\\D\\a", path);
    char small[8];
    EXPECT_EQ(0, NextSelectedFile(selection, small, sizeof(small)));
    EXPECT_STREQ("", small);
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_STREQ("C:\\D\\longer-name", path);
    FreeFileSelection(selection);
}

TEST(NextSelectedFile, NullArguments)
{
    char path[8];
    FillMemory(path, sizeof(path), 0xCC);
    EXPECT_EQ(0, NextSelectedFile(NULL, path, sizeof(path)));
    for (char byte : path)
        EXPECT_EQ(0xCC, (unsigned char)byte) << "a NULL selection should leave path alone";

    static const char single[] = "C:\\x";
    FileSelection *selection = MakeSelection(single, sizeof(single));
    int cursor = selection->Cursor;
    EXPECT_EQ(0, NextSelectedFile(selection, NULL, 100));
    EXPECT_EQ(0, NextSelectedFile(selection, path, 0));
    EXPECT_EQ(0xCC, (unsigned char)path[0]) << "a zero size should write nothing";
    EXPECT_EQ(cursor, selection->Cursor);
    FreeFileSelection(selection);
    FreeFileSelection(NULL);
}

TEST(NextSelectedFile, CursorAtTheEndOfTheBuffer)
{
    // A text that fills the buffer must not make a walk read past it.
    FileSelection *selection = MakeSelection("C:\\D", 5);
    FillMemory(selection->Buffer + 5, FILE_SELECTION_BUFFER_SIZE - 6, 'n');
    char path[MAX_PATH];
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path))) << "the name is far too long";
    selection->Cursor = FILE_SELECTION_BUFFER_SIZE - 3;
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_STREQ("C:\\D\\nn", path);
    EXPECT_EQ(0, NextSelectedFile(selection, path, sizeof(path)));
    EXPECT_STREQ("C:\\D", path);
    EXPECT_LE(selection->Cursor, FILE_SELECTION_BUFFER_SIZE);
    FreeFileSelection(selection);
}
