// A fresh, empty folder for one test, removed with everything in it (read-only
// and hidden entries included) when the object goes away. Use it as a member
// of a fixture so TearDown cleans up even after a failed assertion.
#ifndef TESTS_SUPPORT_TEMP_FOLDER_H
#define TESTS_SUPPORT_TEMP_FOLDER_H

#include <string>

class TempFolder {
public:
    // Made under the prefix's temp folder, named <tag>-<pid>-<counter>.
    explicit TempFolder(const char *tag = "t");
    // Made at exactly this path (which must not exist yet); parents are made too.
    static TempFolder At(const std::string &path);
    TempFolder(TempFolder &&other);
    ~TempFolder();
    const std::string &Path() const { return path; }
    std::string Child(const std::string &name) const { return path + "\\" + name; }

private:
    struct Unmade {};
    explicit TempFolder(Unmade) {}
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    std::string path;
};

// Removes a file or a folder tree, clearing attributes first; 1 when gone.
int RemoveTree(const std::string &path);
// Makes every missing folder of path (a folder path, no trailing backslash).
int MakeFolders(const std::string &path);

#endif
