// BrowseForFolder: SHBrowseForFolderA with the classic browser and no
// callback, then SHGetPathFromIDListA for the chosen item.
//
// COM: the platform documents that the calling thread must have COM
// initialised before SHBrowseForFolder, and the installer's dialog thread
// never does it. Wine's browser happens to work without it, but we do not
// rely on that: the call is bracketed by CoInitialize / CoUninitialize, so
// the thread's COM state is the same afterwards. A thread that already
// joined the multithreaded apartment keeps it (RPC_E_CHANGED_MODE), and the
// browser is shown anyway.
#include "util/folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

int BrowseForFolder(HWND owner, const char *title, char *displayName, char *path)
{
    // The text is its own format: it holds no % and is written whole.
    wsprintfA(path, "No path selection.");

    BROWSEINFOA info;
    info.hwndOwner = owner;
    info.pidlRoot = NULL;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    info.lpfn = NULL;
    info.lParam = 0;
    info.iImage = 0;

    HRESULT com = CoInitialize(NULL);
    // The item list is ours to free with CoTaskMemFree.
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    int chosen = 0;
    if (list) {
        SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
        chosen = 1;
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return chosen;
}
