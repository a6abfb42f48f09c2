// Whole-file helpers for the tests (see file_bytes.h).
#include "tests/support/file_bytes.h"

#include <windows.h>

#include <algorithm>
#include <vector>

int ReadFileBytes(const std::string &path, std::string *out)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    out->clear();
    char chunk[65536];
    DWORD got = 0;
    int ok = 1;
    for (;;) {
        if (!ReadFile(file, chunk, sizeof(chunk), &got, NULL)) {
            ok = 0;
            break;
        }
        if (got == 0)
            break;
        out->append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

int WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD done = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL);
    CloseHandle(file);
    return ok && done == bytes.size();
}

int PathPresent(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    std::sort(names.begin(), names.end());
    std::string all;
    for (size_t i = 0; i < names.size(); ++i)
        all += (i ? "," : "") + names[i];
    return all;
}
