// Temporary folders for the tests (see temp_folder.h).
#include "tests/support/temp_folder.h"

#include <windows.h>

#include <cstdio>

static LONG folderCounter = 0;

TempFolder::TempFolder(const char *tag)
{
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(base), base);
    if (n == 0 || n >= sizeof(base))
        lstrcpyA(base, "C:\\");
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%s%s-%lu-%ld", base, tag, GetCurrentProcessId(),
             InterlockedIncrement(&folderCounter));
    path = name;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), NULL);
}

TempFolder TempFolder::At(const std::string &where)
{
    TempFolder folder{Unmade()};
    folder.path = where;
    MakeFolders(where);
    return folder;
}

TempFolder::TempFolder(TempFolder &&other) : path(other.path)
{
    other.path.clear();
}

TempFolder::~TempFolder()
{
    if (!path.empty())
        RemoveTree(path);
}

int RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileA(path.c_str()) != 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

int MakeFolders(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            // Skip a 0x5C that is the trail byte of a Shift-JIS character.
            size_t j = 0;
            bool trail = false;
            while (j < i) {
                unsigned char c = (unsigned char)path[j];
                bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
                if (lead && j + 1 < path.size()) {
                    if (j + 1 == i) { trail = true; break; }
                    j += 2;
                } else {
                    j += 1;
                }
            }
            if (trail)
                continue;
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
        }
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
