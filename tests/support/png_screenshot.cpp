// Window screenshots as PNG files (see png_screenshot.h). The window is
// copied from the screen DC rather than with PrintWindow, because the window
// belongs to another process and a device context cannot cross over.
#include "tests/support/png_screenshot.h"

#include "tests/support/file_bytes.h"

static unsigned long Crc32(const unsigned char *data, size_t size, unsigned long crc)
{
    static unsigned long table[256];
    static int tableReady = 0;
    if (!tableReady) {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        tableReady = 1;
    }
    crc ^= 0xFFFFFFFFUL;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFUL;
}

static unsigned long Adler32(const unsigned char *data, size_t size)
{
    unsigned long a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521UL;
        b = (b + a) % 65521UL;
    }
    return (b << 16) | a;
}

static void PutBigEndian32(std::string *out, unsigned long value)
{
    out->push_back((char)((value >> 24) & 0xFF));
    out->push_back((char)((value >> 16) & 0xFF));
    out->push_back((char)((value >> 8) & 0xFF));
    out->push_back((char)(value & 0xFF));
}

static void PutChunk(std::string *out, const char type[4], const std::string &data)
{
    PutBigEndian32(out, (unsigned long)data.size());
    std::string typed(type, 4);
    typed += data;
    out->append(typed);
    PutBigEndian32(out, Crc32((const unsigned char *)typed.data(), typed.size(), 0));
}

std::string EncodePng24(int width, int height, const std::string &rgb)
{
    // Every row starts with filter type 0 (none).
    std::string raw;
    size_t rowBytes = (size_t)width * 3;
    raw.reserve((rowBytes + 1) * (size_t)height);
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');
        raw.append(rgb, (size_t)y * rowBytes, rowBytes);
    }

    // zlib stream of stored (uncompressed) deflate blocks of at most 65535 bytes.
    std::string zlib;
    zlib.push_back((char)0x78);
    zlib.push_back((char)0x01);
    size_t done = 0;
    do {
        size_t length = raw.size() - done;
        if (length > 65535)
            length = 65535;
        int last = done + length == raw.size();
        zlib.push_back((char)(last ? 1 : 0));
        zlib.push_back((char)(length & 0xFF));
        zlib.push_back((char)(length >> 8));
        zlib.push_back((char)(~length & 0xFF));
        zlib.push_back((char)((~length >> 8) & 0xFF));
        zlib.append(raw, done, length);
        done += length;
    } while (done < raw.size());
    PutBigEndian32(&zlib, Adler32((const unsigned char *)raw.data(), raw.size()));

    std::string header;
    PutBigEndian32(&header, (unsigned long)width);
    PutBigEndian32(&header, (unsigned long)height);
    header.push_back((char)8);  // bits per sample
    header.push_back((char)2);  // colour type: RGB
    header.push_back('\0');     // deflate
    header.push_back('\0');     // adaptive filtering
    header.push_back('\0');     // no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", zlib);
    PutChunk(&png, "IEND", std::string());
    return png;
}

int CaptureWindowRgb(HWND window, int *width, int *height, std::string *rgb)
{
    RECT rect;
    if (!IsWindow(window) || !GetWindowRect(window, &rect))
        return 0;
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return 0;
    HDC screen = GetDC(NULL);
    if (!screen)
        return 0;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    int ok = 0;
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        const unsigned char *pixel = (const unsigned char *)bits;
        rgb->resize((size_t)w * h * 3);
        for (size_t i = 0; i < (size_t)w * h; ++i) {
            (*rgb)[i * 3 + 0] = (char)pixel[i * 4 + 2];
            (*rgb)[i * 3 + 1] = (char)pixel[i * 4 + 1];
            (*rgb)[i * 3 + 2] = (char)pixel[i * 4 + 0];
        }
        *width = w;
        *height = h;
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

int SaveWindowPng(HWND window, const std::string &path)
{
    // Ask for a paint now, then wait until two captures in a row agree: the
    // owning process may still be flushing its drawing to the screen.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    int width = 0, height = 0;
    std::string rgb;
    if (!CaptureWindowRgb(window, &width, &height, &rgb))
        return 0;
    for (int attempt = 0; attempt < 40; ++attempt) {
        Sleep(100);
        int w = 0, h = 0;
        std::string again;
        if (!CaptureWindowRgb(window, &w, &h, &again))
            return 0;
        int same = w == width && h == height && again == rgb;
        width = w;
        height = h;
        rgb.swap(again);
        if (same)
            break;
    }
    return WriteFileBytes(path, EncodePng24(width, height, rgb));
}
