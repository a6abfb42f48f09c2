// The fixed list of payloads the installer delivers, in the order it writes
// them (the archive first, its signature second), and the folder it looks in
// first. Each row is a wsprintfA template ("%%" for each "%") that formats
// into the resource specifier of the payload, and the file name it is
// written under.
#ifndef PAYLOAD_PAYLOAD_TABLE_H
#define PAYLOAD_PAYLOAD_TABLE_H

#define PAYLOAD_COUNT 2
#define PAYLOAD_SLOT_SIZE 256

extern const char PayloadSpecTemplates[PAYLOAD_COUNT][PAYLOAD_SLOT_SIZE];
extern const char PayloadFileNames[PAYLOAD_COUNT][PAYLOAD_SLOT_SIZE];

// Shift-JIS, ends in a backslash so a file name can be appended directly.
// The macro lets a writable buffer start out with the same text.
#define DEFAULT_INSTALL_DIR "C:\\Program Files\\ころもり\\ケルバノ\\ころもり\\"
extern const char DefaultInstallDir[];

#endif
