// The built patch.exe's PE headers, read from the file: a 32-bit GUI program
// with ASLR and DEP, relocatable, and linked statically so that it imports
// nothing but known DLLs, with the DLL search restriction looked up at run
// time.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

// Known DLLs only: Windows maps these from the system folder whatever the
// search order, so none of them can be planted beside the installer. The
// imports are resolved before WinMain can restrict the search, so a DLL that
// is not a known DLL (winmm, comctl32, version, uxtheme...) must never be
// imported: the program loads such DLLs by full path at run time. Nor may a
// C++ run-time DLL (libstdc++, libgcc_s, libwinpthread) or any other DLL of
// the toolchain appear: the program has to start on a machine that has only
// Windows.
const char *const AllowedImports[] = {
    "kernel32.dll", "user32.dll", "gdi32.dll",    "shell32.dll",  "ole32.dll",
    "comdlg32.dll", "advapi32.dll", "msvcrt.dll", "oleaut32.dll", "shlwapi.dll",
};

class PatchImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ReadFileBytes(TestPatchExePath(), &image)) << TestPatchExePath();
        ASSERT_GE(image.size(), sizeof(IMAGE_DOS_HEADER));
        const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)image.data();
        ASSERT_EQ(IMAGE_DOS_SIGNATURE, dos->e_magic);
        ASSERT_GT(dos->e_lfanew, 0);
        ASSERT_LE((size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32), image.size());
        nt = (const IMAGE_NT_HEADERS32 *)(image.data() + dos->e_lfanew);
        ASSERT_EQ((DWORD)IMAGE_NT_SIGNATURE, nt->Signature);
    }
    // The file offset of an RVA, or 0 when no section holds it.
    size_t FileOffset(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            DWORD extent = section->Misc.VirtualSize > section->SizeOfRawData
                               ? section->Misc.VirtualSize
                               : section->SizeOfRawData;
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + extent) {
                size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
                return offset < image.size() ? offset : 0;
            }
        }
        return 0;
    }
    std::string StringAt(DWORD rva) const
    {
        size_t offset = FileOffset(rva);
        if (!offset)
            return std::string();
        size_t end = image.find('\0', offset);
        return image.substr(offset, end == std::string::npos ? std::string::npos : end - offset);
    }
    // The names a descriptor imports by name (ordinal imports are skipped).
    void ImportedNames(const IMAGE_IMPORT_DESCRIPTOR &descriptor, std::vector<std::string> *names) const
    {
        DWORD thunks = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        size_t at = FileOffset(thunks);
        ASSERT_NE(0u, at) << "import thunks outside every section";
        for (;; at += sizeof(DWORD)) {
            ASSERT_LE(at + sizeof(DWORD), image.size()) << "import thunks run off the file";
            DWORD thunk;
            memcpy(&thunk, image.data() + at, sizeof(thunk));
            if (thunk == 0)
                break;
            if (!(thunk & IMAGE_ORDINAL_FLAG32))
                names->push_back(StringAt(thunk + 2));  // past the hint
        }
    }
    std::string image;
    const IMAGE_NT_HEADERS32 *nt = NULL;
};

TEST_F(PatchImage, Is32BitGuiWithAslrAndDep)
{
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, nt->OptionalHeader.Magic) << "PE32";
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem) << "no console";
    WORD characteristics = nt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << std::hex << characteristics;
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << std::hex << characteristics;
    EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    ASSERT_GT(nt->OptionalHeader.NumberOfRvaAndSizes, (DWORD)IMAGE_DIRECTORY_ENTRY_BASERELOC);
    const IMAGE_DATA_DIRECTORY &relocations =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    EXPECT_NE(0u, relocations.VirtualAddress) << "relocations stripped: ASLR cannot move it";
    EXPECT_NE(0u, relocations.Size);
    EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
}

TEST_F(PatchImage, ImportsOnlySystemDlls)
{
    ASSERT_GT(nt->OptionalHeader.NumberOfRvaAndSizes, (DWORD)IMAGE_DIRECTORY_ENTRY_IMPORT);
    const IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(0u, directory.VirtualAddress);
    size_t offset = FileOffset(directory.VirtualAddress);
    ASSERT_NE(0u, offset);

    std::vector<std::string> imports;
    std::vector<std::string> kernelFunctions;
    for (;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        ASSERT_LE(offset + sizeof(IMAGE_IMPORT_DESCRIPTOR), image.size()) << "import table runs off the file";
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        memcpy(&descriptor, image.data() + offset, sizeof(descriptor));
        if (descriptor.Name == 0 && descriptor.FirstThunk == 0)
            break;
        std::string name = StringAt(descriptor.Name);
        ASSERT_FALSE(name.empty()) << "unreadable DLL name at RVA " << descriptor.Name;
        imports.push_back(name);
        if (lstrcmpiA(name.c_str(), "kernel32.dll") == 0) {
            ASSERT_NO_FATAL_FAILURE(ImportedNames(descriptor, &kernelFunctions));
        }
    }
    std::string listed;
    for (size_t i = 0; i < imports.size(); ++i)
        listed += (i ? " " : "") + imports[i];
    printf("patch.exe imports: %s\n", listed.c_str());

    int kernel = 0, user = 0;
    for (const std::string &name : imports) {
        int allowed = 0;
        for (const char *system : AllowedImports)
            allowed |= lstrcmpiA(name.c_str(), system) == 0;
        EXPECT_TRUE(allowed) << name << " is not a system DLL (imports: " << listed << ")";
        kernel |= lstrcmpiA(name.c_str(), "kernel32.dll") == 0;
        user |= lstrcmpiA(name.c_str(), "user32.dll") == 0;
    }
    EXPECT_TRUE(kernel && user) << "a dialog program imports kernel32 and user32: " << listed;

    // The search restriction: SetDefaultDllDirectories is looked up at run
    // time (an import of it would keep the program from starting where it
    // is missing), and the fallback is imported.
    auto imported = [&](const char *function) {
        for (const std::string &name : kernelFunctions)
            if (name == function)
                return 1;
        return 0;
    };
    EXPECT_FALSE(imported("SetDefaultDllDirectories"));
    EXPECT_TRUE(imported("GetProcAddress"));
    EXPECT_TRUE(imported("SetDllDirectoryA"));
    // The search restriction cannot reach DLLs loaded by bare name before
    // it; the program loads by full path.
    EXPECT_TRUE(imported("LoadLibraryExA"));
    EXPECT_TRUE(imported("GetSystemDirectoryA"));
}

}  // namespace
