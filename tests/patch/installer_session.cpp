// The end-to-end fixture (see installer_session.h).
#include "tests/patch/installer_session.h"

#include <commctrl.h>

#include <cstdio>

#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/png_screenshot.h"
#include "tests/support/test_paths.h"
#include "util/dbcs_search.h"

const char DefaultRoot[] = "C:\\Program Files\\ころもり";
const char DefaultFolder[] = "C:\\Program Files\\ころもり\\ケルバノ\\ころもり";
// Where a default folder that was there before the test waits meanwhile. A
// run that died before putting it back leaves it here; the next run then
// takes this one as the original.
static const char SavedRoot[] = "C:\\Program Files\\ころもり (moved aside by the patch tests)";

static const char PromptText[] = "vomel.exe のあるフォルダを選択してください。";
static const char PromptCaption[] = "tr9bek";
static const char BrowserTitle[] = "ころもりのインストール先";

std::string DialogView::Text() const
{
    char bar_[32];
    wsprintfA(bar_, "%d", bar);
    return "status=" + status + " file=" + file + " fix=" + (fixEnabled == 1 ? "on" : "off") +
           " exit=" + (exitEnabled == 1 ? "on" : "off") + " bar=" + bar_;
}

DialogView View(const char *status, const std::string &file, int fixEnabled, int exitEnabled, int bar)
{
    DialogView view;
    view.status = status;
    view.file = file;
    view.fixEnabled = fixEnabled;
    view.exitEnabled = exitEnabled;
    view.bar = bar;
    return view;
}

DialogView IdleView()
{
    return View("status", "file", 1, 1, 0);
}

// 1 when the path's last character is a backslash of its own (not the
// trail byte of a two-byte character such as ソ).
static int EndsInSeparator(const std::string &path)
{
    const char *last = FindLastCharDbcs(path.c_str(), '\\');
    return !path.empty() && last == path.c_str() + path.size() - 1;
}

std::string JoinedPath(const std::string &folder, const char *name)
{
    return folder + (EndsInSeparator(folder) ? "" : "\\") + name;
}

// A string of exactly size bytes repeating text.
static std::string Repeated(const char *text, size_t size)
{
    std::string bytes;
    while (bytes.size() < size)
        bytes += text;
    bytes.resize(size);
    return bytes;
}

void InstallerSession::SetUp()
{
    if (PathPresent(SavedRoot)) {
        // Left by a run that died: what is at the default place is its own.
        RemoveTree(DefaultRoot);
        savedDefaultRoot = 1;
    } else if (PathPresent(DefaultRoot)) {
        ASSERT_TRUE(MoveFileA(DefaultRoot, SavedRoot))
            << "cannot move " << DefaultRoot << " aside, error " << GetLastError();
        savedDefaultRoot = 1;
    }
    ASSERT_FALSE(PathPresent(DefaultRoot)) << DefaultRoot;
}

void InstallerSession::TearDown()
{
    patch.Kill();
    EXPECT_TRUE(RemoveTree(DefaultRoot)) << "cannot remove " << DefaultRoot;
    if (savedDefaultRoot) {
        EXPECT_TRUE(MoveFileA(SavedRoot, DefaultRoot))
            << "cannot put " << DefaultRoot << " back, error " << GetLastError();
    }
}

void InstallerSession::MakeDefaultFolderWithOlderFiles()
{
    // Longer than the payloads, so bytes of the old files surviving the
    // replacement would show.
    olderArchive = Repeated("older archive, longer than the new one. ", 2000000);
    olderSignature = Repeated("older signature text ", 400);
    ASSERT_TRUE(MakeFolders(DefaultFolder)) << DefaultFolder;
    ASSERT_TRUE(WriteFileBytes(JoinedPath(DefaultFolder, "system.xp3"), olderArchive));
    ASSERT_TRUE(WriteFileBytes(JoinedPath(DefaultFolder, "system.xp3.sig"), olderSignature));
}

void InstallerSession::ExpectOlderFilesKept()
{
    std::string archive, signature;
    ASSERT_TRUE(ReadFileBytes(JoinedPath(DefaultFolder, "system.xp3"), &archive)) << GetLastError();
    ASSERT_TRUE(ReadFileBytes(JoinedPath(DefaultFolder, "system.xp3.sig"), &signature)) << GetLastError();
    EXPECT_TRUE(archive == olderArchive) << "system.xp3 changed: " << archive.size() << " bytes, was "
                                         << olderArchive.size();
    EXPECT_TRUE(signature == olderSignature) << "system.xp3.sig changed: " << signature.size()
                                             << " bytes, was " << olderSignature.size();
    EXPECT_EQ("system.xp3,system.xp3.sig", ListFolder(DefaultFolder));
}

void InstallerSession::Launch(const std::string &exe)
{
    ASSERT_TRUE(patch.Launch(exe, workFolder.Path())) << exe << " error " << GetLastError();
    dialog = WaitForProcessWindow(patch.Id(), "#32770", "Ozk");
    if (!dialog) {
        DWORD code = 0;
        if (patch.WaitForExit(0, &code))
            FAIL() << exe << " ended with exit code 0x" << std::hex << code << " before its dialog showed";
        FAIL() << "no dialog \"Ozk\" of process " << patch.Id();
    }
    ASSERT_TRUE(SyncWithWindow(dialog));
}

DialogView InstallerSession::Current()
{
    DialogView view;
    view.status = ControlText(dialog, IDC_STATUS);
    view.file = ControlText(dialog, IDC_FILE);
    view.fixEnabled = ControlEnabled(dialog, IDOK);
    view.exitEnabled = ControlEnabled(dialog, IDCANCEL);
    if (!ProgressPosition(GetDlgItem(dialog, IDC_PROGRESS), &view.bar))
        view.bar = -1;
    return view;
}

void InstallerSession::ExpectViewSoon(const DialogView &expected)
{
    DWORD start = GetTickCount();
    std::string seen = Current().Text();
    while (seen != expected.Text() && GetTickCount() - start < GuiWaitMs) {
        Sleep(20);
        seen = Current().Text();
    }
    EXPECT_EQ(expected.Text(), seen);
}

HWND InstallerSession::NextOwned(HWND except)
{
    return WaitForOwnedWindow(dialog, "#32770", GuiWaitMs, except);
}

void InstallerSession::ExpectMessageBox(HWND box, const char *caption, const char *text)
{
    ASSERT_TRUE(box != NULL) << "no message box \"" << text << "\" appeared";
    EXPECT_EQ(caption, MessageBoxCaption(box));
    EXPECT_EQ(text, MessageBoxText(box));
    EXPECT_EQ(dialog, GetWindow(box, GW_OWNER)) << "not owned by the dialog";
    // MB_OK: one button, OK, and no icon.
    std::vector<std::string> buttons = ChildTexts(box, "Button");
    EXPECT_EQ(1u, buttons.size()) << "buttons: " << ::testing::PrintToString(buttons);
    EXPECT_TRUE(GetDlgItem(box, IDOK) != NULL) << "no OK button";
    // Wine keeps an empty icon control in every message box: an icon is
    // one that holds an icon.
    int icons = 0;
    for (HWND child : ChildWindows(box)) {
        LRESULT icon = 0;
        if (IsWindowVisible(child) && lstrcmpiA(ClassNameOf(child).c_str(), "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendWithTimeout(child, STM_GETICON, 0, 0, &icon) && icon != 0)
            ++icons;
    }
    EXPECT_EQ(0, icons) << "the message shows an icon";
}

void InstallerSession::Answer(HWND window, int id)
{
    ASSERT_TRUE(PressButton(window, id)) << "button " << id << " cannot be pressed";
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        ASSERT_LT(GetTickCount() - start, GuiWaitMs) << "the window stays after button " << id;
        Sleep(20);
    }
}

void InstallerSession::ChooseFolder(HWND browser, const std::string &folder)
{
    ASSERT_TRUE(ChooseFolderInBrowser(browser, folder)) << "cannot choose " << folder;
    DWORD start = GetTickCount();
    while (IsWindow(browser) && IsWindowVisible(browser)) {
        ASSERT_LT(GetTickCount() - start, GuiWaitMs) << "the browser stays after OK";
        Sleep(20);
    }
}

void InstallerSession::AnswerPrompt(HWND *browser)
{
    *browser = NULL;
    HWND prompt = NextOwned();
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(prompt, PromptCaption, PromptText));
    ASSERT_NO_FATAL_FAILURE(Answer(prompt, IDOK));
    HWND next = NextOwned(prompt);
    ASSERT_TRUE(next != NULL) << "no folder browser after the prompt";
    EXPECT_TRUE(FindWindowExA(next, NULL, WC_TREEVIEWA, NULL) != NULL)
        << "not a folder browser: \"" << WindowTextOf(next) << "\"";
    std::vector<std::string> texts = ChildTexts(next, "Static");
    int titled = 0;
    for (const std::string &text : texts)
        titled |= text == BrowserTitle;
    EXPECT_TRUE(titled) << "browser texts: " << ::testing::PrintToString(texts);
    *browser = next;
}

void InstallerSession::ExpectCompletion(const std::string &folder, const char *shotPrefix)
{
    std::string signature = JoinedPath(folder, "system.xp3.sig");
    HWND box = NextOwned();
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(box, "報告", "完了しました。"));
    // The dialog thread waits in the message: nothing moves meanwhile.
    EXPECT_EQ(View("修正完了", signature, 0, 0, 100).Text(), Current().Text());
    Screenshot(box, (std::string(shotPrefix) + "-complete-message").c_str());
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDOK));
    ExpectViewSoon(View("修正完了", signature, 0, 1, 100));
    EXPECT_TRUE(OwnedWindows(dialog).empty()) << "another window opened";
    Screenshot(dialog, (std::string(shotPrefix) + "-done").c_str());
}

void InstallerSession::ExpectPayloadsIn(const std::string &folder, const std::string &listing)
{
    for (const char *name : {"system.xp3", "system.xp3.sig"}) {
        SCOPED_TRACE(name);
        std::string embedded, written;
        ASSERT_TRUE(ReadFileBytes(TestPayloadPath(name), &embedded)) << TestPayloadPath(name);
        ASSERT_TRUE(ReadFileBytes(JoinedPath(folder, name), &written))
            << JoinedPath(folder, name) << " error " << GetLastError();
        EXPECT_EQ(embedded.size(), written.size());
        EXPECT_TRUE(embedded == written) << "the bytes differ from the embedded payload";
    }
    std::string listed = folder;
    if (EndsInSeparator(listed))
        listed.erase(listed.size() - 1);
    EXPECT_EQ(listing, ListFolder(listed)) << folder;
}

void InstallerSession::ExitWithCode1()
{
    ASSERT_TRUE(PressButton(dialog, IDCANCEL)) << "the exit button cannot be pressed";
    DWORD code = 0;
    ASSERT_TRUE(patch.WaitForExit(GuiWaitMs, &code)) << "the installer still runs";
    EXPECT_EQ(1u, code);
}

void InstallerSession::Screenshot(HWND window, const char *name)
{
    std::string path = TestScreenshotPath(name);
    EXPECT_TRUE(SaveWindowPng(window, path)) << path;
    printf("screenshot: %s\n", path.c_str());
}
