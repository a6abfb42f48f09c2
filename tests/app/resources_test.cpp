// The installer's own resources, read from the built patch.exe as data: the
// exact set of resources, the classic dialog template field by field, and
// the two embedded payloads byte for byte against the files they came from.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

std::string ResourceId(LPCSTR id)
{
    if (IS_INTRESOURCE(id)) {
        char number[16];
        snprintf(number, sizeof(number), "#%u", (unsigned)(ULONG_PTR)id);
        return number;
    }
    return id;
}

struct Enumeration {
    std::vector<std::string> entries;  // "type/name/language"
    std::string type;
    std::string name;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context)
{
    Enumeration *all = (Enumeration *)context;
    char text[16];
    snprintf(text, sizeof(text), "%04X", language);
    all->entries.push_back(all->type + "/" + all->name + "/" + text);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context)
{
    Enumeration *all = (Enumeration *)context;
    all->name = ResourceId(name);
    EnumResourceLanguagesA(module, type, name, CollectLanguage, context);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR context)
{
    Enumeration *all = (Enumeration *)context;
    all->type = ResourceId(type);
    EnumResourceNamesA(module, type, CollectName, context);
    return TRUE;
}

std::string Utf16ToShiftJis(const std::wstring &text)
{
    char out[520];
    int n = WideCharToMultiByte(932, 0, text.c_str(), (int)text.size(), out, sizeof(out), NULL, NULL);
    if (n <= 0 || n >= (int)sizeof(out))
        return "<unconvertible>";
    return std::string(out, (size_t)n);
}

// Reads a template field by field and fails the test on a read past the end.
class TemplateReader {
public:
    TemplateReader(const BYTE *data, DWORD size) : data(data), size(size), offset(0), overrun(0) {}
    WORD Word()
    {
        if (offset + 2 > size) {
            overrun = 1;
            offset = size;
            return 0;
        }
        WORD value = (WORD)(data[offset] | (data[offset + 1] << 8));
        offset += 2;
        return value;
    }
    DWORD Dword()
    {
        WORD low = Word();
        return low | ((DWORD)Word() << 16);
    }
    short Short() { return (short)Word(); }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c && !overrun; c = Word())
            text += (wchar_t)c;
        return text;
    }
    // A name-or-ordinal field: "" for none, "#n" for an ordinal, else the
    // name (in Shift-JIS, as the test's literals are).
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return std::string();
        if (first == 0xFFFF) {
            char number[16];
            snprintf(number, sizeof(number), "#%u", (unsigned)Word());
            return number;
        }
        std::wstring text(1, (wchar_t)first);
        text += String();
        return Utf16ToShiftJis(text);
    }
    void AlignDword() { offset = (offset + 3) & ~(DWORD)3; }

    const BYTE *data;
    DWORD size;
    DWORD offset;
    int overrun;
};

struct ControlRow {
    int id;
    const char *classAtom;  // the predefined class as an ordinal ("" when none)
    const char *className;
    const char *text;
    short x, y, cx, cy;
    DWORD style;
};

const ControlRow ExpectedControls[] = {
    {IDOK, "#128", "Button", "修正", 36, 80, 50, 14, 0x50010001},
    {IDCANCEL, "#128", "Button", "終了", 101, 80, 50, 14, 0x50010000},
    {IDC_STATUS, "#130", "Static", "status", 7, 7, 174, 10, 0x50020000},
    {IDC_FILE, "#130", "Static", "file", 7, 20, 174, 18, 0x50020000},
    {IDC_PROGRESS, "", "msctls_progress32", "Progress1", 7, 46, 174, 11, 0x50800001},
};

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%08lX", (unsigned long)value);
    return text;
}

const char XpSignature[] = "XP3\r\n \n\x1a\x8b\x67\x01";

class PatchResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLastError(0xdeadbeef);
        module = LoadLibraryExA(TestPatchExePath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module != NULL) << TestPatchExePath() << " error " << GetLastError();
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }
    // The bytes of one resource; fails the test when it is missing.
    std::string ResourceBytes(LPCSTR type, LPCSTR name)
    {
        SetLastError(0xdeadbeef);
        HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        EXPECT_TRUE(found != NULL) << ResourceId(type) << "/" << ResourceId(name) << " error "
                                   << GetLastError();
        if (!found)
            return std::string();
        DWORD size = SizeofResource(module, found);
        HGLOBAL loaded = LoadResource(module, found);
        const char *bytes = loaded ? (const char *)LockResource(loaded) : NULL;
        EXPECT_TRUE(bytes != NULL) << "error " << GetLastError();
        return bytes ? std::string(bytes, size) : std::string();
    }
    HMODULE module = NULL;
};

TEST_F(PatchResources, ExactlyTheDialogAndTheTwoPayloadsAllJapanese)
{
    Enumeration all;
    ASSERT_TRUE(EnumResourceTypesA(module, CollectType, (LONG_PTR)&all)) << "error " << GetLastError();
    std::string listed;
    for (size_t i = 0; i < all.entries.size(); ++i)
        listed += (i ? " " : "") + all.entries[i];
    // Types come sorted: named ones before numbered ones; names likewise.
    // Anything else (an icon, a version block, a string table, a manifest)
    // would show up in this list.
    EXPECT_EQ("BINARY/ID_SYSTEM_SIG/0411 BINARY/ID_SYSTEM_XP3/0411 #5/#101/0411", listed);
}

TEST_F(PatchResources, DialogTemplateIsExactlyAsDesigned)
{
    std::string bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(IDD_PATCH));
    ASSERT_FALSE(bytes.empty());
    TemplateReader in((const BYTE *)bytes.data(), (DWORD)bytes.size());

    DWORD style = in.Dword();
    // A DLGTEMPLATEEX would start with version 1 and signature 0xFFFF.
    ASSERT_NE(0xFFFF0001u, style) << "extended template, not a classic one";
    EXPECT_EQ("0x90C808C0", Hex(style));
    EXPECT_EQ(Hex(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                  DS_CENTER),
              Hex(style));
    EXPECT_EQ(Hex(0), Hex(in.Dword())) << "extended style";
    WORD count = in.Word();
    EXPECT_EQ(5u, count) << "controls";
    EXPECT_EQ(0, in.Short()) << "x";
    EXPECT_EQ(0, in.Short()) << "y";
    EXPECT_EQ(187, in.Short()) << "cx";
    EXPECT_EQ(101, in.Short()) << "cy";
    EXPECT_EQ("", in.NameOrOrdinal()) << "menu";
    EXPECT_EQ("", in.NameOrOrdinal()) << "class";
    EXPECT_EQ(L"Ozk", in.String()) << "caption";
    ASSERT_TRUE(style & DS_SETFONT);
    EXPECT_EQ(9u, in.Word()) << "font points";
    EXPECT_EQ(L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF", in.String()) << "font face ＭＳ ゴシック";
    ASSERT_FALSE(in.overrun) << "template ends inside its header";

    for (size_t i = 0; i < count && i < sizeof(ExpectedControls) / sizeof(ExpectedControls[0]); ++i) {
        const ControlRow &want = ExpectedControls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (expected id " << want.id << ")");
        in.AlignDword();
        EXPECT_EQ(Hex(want.style), Hex(in.Dword())) << "style";
        EXPECT_EQ(Hex(0), Hex(in.Dword())) << "extended style";
        EXPECT_EQ(want.x, in.Short()) << "x";
        EXPECT_EQ(want.y, in.Short()) << "y";
        EXPECT_EQ(want.cx, in.Short()) << "cx";
        EXPECT_EQ(want.cy, in.Short()) << "cy";
        EXPECT_EQ(want.id, (int)in.Word()) << "id";
        std::string className = in.NameOrOrdinal();
        EXPECT_TRUE(className == want.classAtom || lstrcmpiA(className.c_str(), want.className) == 0)
            << "class " << className << ", expected " << want.className;
        EXPECT_EQ(want.text, in.NameOrOrdinal()) << "text";
        EXPECT_EQ(0u, in.Word()) << "creation data";
        ASSERT_FALSE(in.overrun) << "template ends inside control " << i;
    }
    // Nothing after the last control but padding to a DWORD boundary.
    EXPECT_GE(in.offset + 3, in.size) << "bytes left after the controls: " << in.size - in.offset;
}

TEST_F(PatchResources, PayloadsAreTheBuildsPayloadFiles)
{
    static const struct { const char *name; const char *file; } rows[] = {
        {"ID_SYSTEM_XP3", "system.xp3"},
        {"ID_SYSTEM_SIG", "system.xp3.sig"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string file;
        ASSERT_TRUE(ReadFileBytes(TestPayloadPath(row.file), &file)) << TestPayloadPath(row.file);
        std::string embedded = ResourceBytes("BINARY", row.name);
        ASSERT_EQ(file.size(), embedded.size());
        EXPECT_TRUE(file == embedded) << "embedded bytes differ from " << TestPayloadPath(row.file);
    }
}

#ifdef SAMPLE_PAYLOADS
// Built without PAYLOAD_DIR: the generated samples stand in with the real sizes.
TEST_F(PatchResources, SamplePayloadsHaveTheRealSizesAndSignature)
{
    std::string archive = ResourceBytes("BINARY", "ID_SYSTEM_XP3");
    std::string signature = ResourceBytes("BINARY", "ID_SYSTEM_SIG");
    EXPECT_EQ(1359819u, archive.size());
    EXPECT_EQ(114u, signature.size());
    ASSERT_EQ(11u, sizeof(XpSignature) - 1);
    ASSERT_GE(archive.size(), 11u);
    EXPECT_EQ(0, memcmp(XpSignature, archive.data(), 11)) << "XP3 signature";
    EXPECT_NE(std::string::npos, archive.find("SAMPLE PAYLOAD")) << "the archive says it is a sample";
    EXPECT_NE(std::string::npos, signature.find("SAMPLE SIGNATURE")) << "the signature says it is a sample";
}
#endif

}  // namespace
