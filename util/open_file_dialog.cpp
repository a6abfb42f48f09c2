// Open-file dialog wrapper (see open_file_dialog.h). The selection buffer is
// far larger than one path so that a multi-selection of many files fits; it
// is zero-filled, which both starts the dialog with an empty file-name box
// and ends a single path's text with an empty string. Every walk over it is
// bounded by the buffer's size, whatever the dialog wrote.
#include "util/open_file_dialog.h"

#include <cderr.h>
#include <new>
#include <stddef.h>

// The structure's size before the Windows 2000 fields: every platform
// version accepts it.
static const DWORD OpenFileNameOldSize = 76;
static_assert(offsetof(OPENFILENAMEA, pvReserved) == 76, "OPENFILENAMEA layout");

static GetOpenFileNameFunction getOpenFileNameCall = NULL;
static CommDlgExtendedErrorFunction commDlgExtendedErrorCall = NULL;

void SetOpenFileDialogCalls(GetOpenFileNameFunction getOpenFileName,
                            CommDlgExtendedErrorFunction commDlgExtendedError)
{
    getOpenFileNameCall = getOpenFileName;
    commDlgExtendedErrorCall = commDlgExtendedError;
}

static void ShowDialogError(HWND owner, DWORD code)
{
    char text[128];  // the formatted text is at most 77 bytes
    wsprintfA(text, "GetOpenFileName()\nこの関数の呼び出しが失敗しました。\nエラーコード：0x%04lX",
              code);
    MessageBoxA(owner, text, "異常発生", MB_ICONERROR);
}

int OpenFileDialog(HWND owner, FileSelection **selection, const char *title, const char *filter,
                   const char *initialDir, const char *defaultExt, int multiSelect)
{
    if (selection == NULL)
        return 0;
    *selection = NULL;

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = OpenFileNameOldSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.nMaxFile = FILE_SELECTION_BUFFER_SIZE;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | (multiSelect ? OFN_ALLOWMULTISELECT : 0);
    ofn.lpstrDefExt = defaultExt;
    ofn.lCustData = (LPARAM)&ofn;

    // The record is taken before the dialog so that, once the user has
    // chosen, nothing can fail any more.
    FileSelection *record = new (std::nothrow) FileSelection;
    char *buffer = (char *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, FILE_SELECTION_BUFFER_SIZE);
    if (record == NULL || buffer == NULL) {
        delete record;
        if (buffer != NULL)
            HeapFree(GetProcessHeap(), 0, buffer);
        ShowDialogError(owner, CDERR_MEMALLOCFAILURE);
        return 0;
    }
    ofn.lpstrFile = buffer;

    BOOL chosen = getOpenFileNameCall != NULL ? getOpenFileNameCall(&ofn) : GetOpenFileNameA(&ofn);
    if (chosen) {
        // A well-behaved dialog ends its text well inside the buffer; the
        // last byte is cleared anyway so that no scan can run off its end.
        buffer[FILE_SELECTION_BUFFER_SIZE - 1] = 0;
        record->Buffer = buffer;
        record->Cursor = lstrlenA(buffer) + 1;
        *selection = record;
        return chosen;
    }
    DWORD code = commDlgExtendedErrorCall != NULL ? commDlgExtendedErrorCall() : CommDlgExtendedError();
    HeapFree(GetProcessHeap(), 0, buffer);
    delete record;
    if (code == 0)
        return 1;
    ShowDialogError(owner, code);
    return 0;
}

// Length of the string at Buffer + index; an index at or past the end of the
// buffer is an empty string. The buffer's last byte is always NUL.
static int LengthAt(const FileSelection *selection, int index)
{
    if (index < 0 || index >= FILE_SELECTION_BUFFER_SIZE)
        return 0;
    return lstrlenA(selection->Buffer + index);
}

int NextSelectedFile(FileSelection *selection, char *path, int pathSize)
{
    if (selection == NULL || path == NULL)
        return 0;
    int folderLength = LengthAt(selection, 0);
    int nameLength = LengthAt(selection, selection->Cursor);
    // Several files: the first string is their folder and a name follows.
    // One file: the first string is the whole path and nothing follows.
    int needed = nameLength > 0 ? folderLength + 1 + nameLength + 1 : folderLength + 1;
    if (needed > pathSize) {
        if (pathSize > 0)
            path[0] = 0;
        return 0;
    }
    lstrcpynA(path, selection->Buffer, folderLength + 1);
    if (nameLength > 0) {
        path[folderLength] = '\\';
        lstrcpynA(path + folderLength + 1, selection->Buffer + selection->Cursor, nameLength + 1);
    }
    int next = selection->Cursor + nameLength + 1;
    selection->Cursor = next < FILE_SELECTION_BUFFER_SIZE ? next : FILE_SELECTION_BUFFER_SIZE;
    return LengthAt(selection, selection->Cursor) > 0 ? 1 : 0;
}

void FreeFileSelection(FileSelection *selection)
{
    if (selection == NULL)
        return;
    HeapFree(GetProcessHeap(), 0, selection->Buffer);
    delete selection;
}
