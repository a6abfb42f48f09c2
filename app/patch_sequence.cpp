// The patch sequence: the fix button settles the installation folder, then
// the payloads are written one after the other through the process-wide
// copier, and the end is reported. The commands run on the dialog thread;
// OnProgress and OnCopyFailed run on the copier's worker and only ever post
// to the dialog, so the worker never waits for the dialog's handling.
#include "app/patch_sequence.h"

#include <commctrl.h>

#include "app/patch_dialog.h"
#include "app/process_objects.h"
#include "payload/payload_table.h"
#include "res/resource.h"
#include "util/dbcs_search.h"
#include "util/folder_browser.h"
#include "util/path_checks.h"

char InstallDir[MAX_PATH] = DEFAULT_INSTALL_DIR;
LONG volatile PayloadIndex = 0;

static const char PromptText[] = "vomel.exe のあるフォルダを選択してください。";
static const char PromptCaption[] = "tr9bek";
static const char BrowserTitle[] = "ころもりのインストール先";
static const char TargetExeName[] = "vomel.exe";
static const char CopyingText[] = "コピー中．．．";
static const char CopyFailedText[] = "コピー失敗";
static const char ReportCaption[] = "報告";
static const char FixCompleteText[] = "修正完了";
static const char CompletedText[] = "完了しました。";

int OnProgress(unsigned int percent)
{
    HWND dialog = PatchDialogWindow;
    if (dialog == NULL)
        return 1;
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, percent, 0);
    if (percent >= 100 && PayloadIndex < PAYLOAD_COUNT)
        PostMessageA(dialog, WM_COMMAND, PAYLOAD_FINISHED, 0);
    return 1;
}

int OnCopyFailed(unsigned int error)
{
    (void)error;
    HWND dialog = PatchDialogWindow;
    if (dialog != NULL)
        PostMessageA(dialog, WM_COMMAND, PAYLOAD_FAILED, 0);
    return 1;
}

void PatchSequenceSetUp(void)
{
    ProcessCopier.SetProgressCallback(OnProgress);
    ProcessCopier.SetFailureCallback(OnCopyFailed);
}

// Joins folder and name into a 260-byte buffer; 0 when the result would not fit.
static int JoinPath(char *out, int outSize, const char *folder, const char *name)
{
    if (lstrlenA(folder) + lstrlenA(name) >= outSize)
        return 0;
    wsprintfA(out, "%s%s", folder, name);
    return 1;
}

// Appends one backslash unless the folder already ends in a single-byte one
// (a drive root such as D:\). The trail byte 0x5C of a two-byte character at
// the end (ソ, 表, 能) is not a separator, so such a folder gets its backslash.
static void EndWithBackslash(char *folder, int folderSize)
{
    int length = lstrlenA(folder);
    if (length > 0 && FindLastCharDbcs(folder, '\\') == folder + length - 1)
        return;
    if (length + 1 < folderSize)
        lstrcatA(folder, "\\");
}

// Settles InstallDir: the default folder when it exists, otherwise the
// folder the user picks that holds the target executable. 0 when the user
// cancelled the browser.
static int LocateInstallDir(HWND dialog)
{
    if (DirectoryExists(InstallDir))
        return 1;
    for (;;) {
        MessageBoxA(dialog, PromptText, PromptCaption, MB_OK);
        if (!BrowseForFolder(dialog, BrowserTitle, NULL, InstallDir))
            return 0;
        EndWithBackslash(InstallDir, sizeof(InstallDir));
        char probe[MAX_PATH];
        if (JoinPath(probe, sizeof(probe), InstallDir, TargetExeName) && FileExists(probe))
            return 1;
    }
}

static void EnableButton(HWND dialog, int id, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, id), enable);
}

// Starts the copy of row PayloadIndex. 0 when no worker was started.
static int StartPayload(HWND dialog)
{
    char specifier[MAX_PATH];
    char target[MAX_PATH];
    int row = PayloadIndex;
    wsprintfA(specifier, PayloadSpecTemplates[row]);
    if (!JoinPath(target, sizeof(target), InstallDir, PayloadFileNames[row]))
        return 0;
    SetDlgItemTextA(dialog, IDC_FILE, target);
    return ProcessCopier.StartCopy(specifier, target);
}

// A copy that could not be started or did not put its payload in place: say
// so once and let the user retry the whole patch or leave. The files already
// in place are whole, since the copier replaces a file only when it is done.
static void ReportCopyFailed(HWND dialog)
{
    MessageBoxA(dialog, CopyFailedText, ReportCaption, MB_OK);
    SetDlgItemTextA(dialog, IDC_STATUS, CopyFailedText);
    PayloadIndex = 0;
    EnableButton(dialog, IDCANCEL, TRUE);
    EnableButton(dialog, IDOK, TRUE);
}

static void OnFixButton(HWND dialog)
{
    if (!LocateInstallDir(dialog))
        return;
    EnableButton(dialog, IDCANCEL, FALSE);
    EnableButton(dialog, IDOK, FALSE);
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    SetDlgItemTextA(dialog, IDC_STATUS, CopyingText);
    if (!StartPayload(dialog))
        ReportCopyFailed(dialog);
}

static void OnPayloadFinished(HWND dialog)
{
    PayloadIndex = PayloadIndex + 1;
    if (PayloadIndex >= PAYLOAD_COUNT) {
        SetDlgItemTextA(dialog, IDC_STATUS, FixCompleteText);
        MessageBoxA(dialog, CompletedText, ReportCaption, MB_OK);
        EnableButton(dialog, IDCANCEL, TRUE);
        EnableButton(dialog, IDOK, FALSE);
        return;
    }
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    if (!StartPayload(dialog))
        ReportCopyFailed(dialog);
}

INT_PTR OnCommand(HWND window, int id)
{
    switch (id) {
    case IDOK:
        OnFixButton(window);
        break;
    case PAYLOAD_FINISHED:
        OnPayloadFinished(window);
        break;
    case PAYLOAD_FAILED:
        ReportCopyFailed(window);
        break;
    }
    return TRUE;
}
