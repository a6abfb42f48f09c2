// Built twice: with patch.exe's own allocation functions and without
// exception support (the way patch.exe is built), and as an ordinary C++
// program with the library's operator new. Asked for an allocation no
// allocator can grant, each must end the same way: the run-time's abnormal
// termination, exit code 3.
//   allocation_child.exe huge      operator new for the whole address space
//   allocation_child.exe nothrow   the same through std::nothrow: exits 4 on NULL
//   allocation_child.exe small     a small block: exits 0
#include <windows.h>

#include <cstring>
#include <new>

int main(int argc, char **argv)
{
    // A test reads the exit code, not a crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const char *mode = argc > 1 ? argv[1] : "small";
    if (strcmp(mode, "nothrow") == 0)
        return ::operator new((size_t)-1, std::nothrow) == NULL ? 4 : 5;
    size_t size = strcmp(mode, "huge") == 0 ? (size_t)-1 : 16;
    void *block = ::operator new(size);
    ::operator delete(block);
    return 0;
}
