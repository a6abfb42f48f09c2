// The fixture of the end-to-end tests: the real installer started as its
// own process and driven as a person would, with the default installation
// folder of the prefix moved out of the way for the test and put back after.
#ifndef TESTS_PATCH_INSTALLER_SESSION_H
#define TESTS_PATCH_INSTALLER_SESSION_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/gui_driver.h"
#include "tests/support/temp_folder.h"

// The default installation folder and the top folder of it that the tests
// make and remove (no trailing backslash).
extern const char DefaultRoot[];
extern const char DefaultFolder[];

// What a person sees of the dialog.
struct DialogView {
    std::string status;
    std::string file;
    int fixEnabled;
    int exitEnabled;
    int bar;  // -1: the bar did not answer
    std::string Text() const;
};
DialogView View(const char *status, const std::string &file, int fixEnabled, int exitEnabled, int bar);
DialogView IdleView();

// folder + name with one backslash between them, whether or not folder
// already ends in one (a drive root).
std::string JoinedPath(const std::string &folder, const char *name);

class InstallerSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The default folder holding older, longer payload files (and no
    // vomel.exe); remembers their bytes for ExpectOlderFilesKept.
    void MakeDefaultFolderWithOlderFiles();
    void ExpectOlderFilesKept();

    // Starts exe and waits for its dialog.
    void Launch(const std::string &exe);
    DialogView Current();
    // Waits until the dialog shows exactly this (generous timeout).
    void ExpectViewSoon(const DialogView &expected);
    // The next dialog-like window (message box, folder browser) owned by
    // the installer's dialog, other than except; NULL on timeout.
    HWND NextOwned(HWND except = NULL);
    void ExpectMessageBox(HWND box, const char *caption, const char *text);
    // Presses the box's (or browser's) button and waits until it is gone.
    // Every window the tests answer is gone before the next is looked for,
    // so a closing one is never taken for the next.
    void Answer(HWND window, int id);
    // Chooses folder in the browser and waits until the browser is gone.
    void ChooseFolder(HWND browser, const std::string &folder);
    // The folder prompt: checks it, answers OK, and gives the browser that
    // comes next after checking its title.
    void AnswerPrompt(HWND *browser);
    // From the fix button to the end with the payloads going into folder:
    // the completion message over a full bar, OK, then the done state. Every
    // state seen on the way must be one the patch sequence can show.
    void ExpectCompletion(const std::string &folder, const char *shotPrefix);
    // Both payload files in folder hold the embedded payloads byte for byte,
    // and the folder holds exactly listing.
    void ExpectPayloadsIn(const std::string &folder, const std::string &listing);
    // The exit button ends the installer with 1.
    void ExitWithCode1();
    void Screenshot(HWND window, const char *name);

    DrivenProcess patch;
    HWND dialog = NULL;
    TempFolder workFolder{"patchcwd"};
    int savedDefaultRoot = 0;
    std::string olderArchive, olderSignature;
};

#endif
