// Screenshots of real windows as PNG files, so a person can look at what a
// GUI test or the demo saw. The encoder is a small stored-deflate writer:
// the files are bigger than they need be, but nothing beyond the platform is
// needed to make them.
#ifndef TESTS_SUPPORT_PNG_SCREENSHOT_H
#define TESTS_SUPPORT_PNG_SCREENSHOT_H

#include <windows.h>

#include <string>

// 24-bit RGB PNG bytes of a width x height image; rgb holds the rows top to
// bottom, three bytes (R, G, B) a pixel, no padding.
std::string EncodePng24(int width, int height, const std::string &rgb);

// The pixels of the window's rectangle as shown on the screen (any process's
// window), as top-down RGB rows; 1 on success.
int CaptureWindowRgb(HWND window, int *width, int *height, std::string *rgb);

// Captures the window once its picture has stopped changing (it may still
// be painting when it first appears) and writes it as a PNG; 1 on success.
int SaveWindowPng(HWND window, const std::string &path);

#endif
