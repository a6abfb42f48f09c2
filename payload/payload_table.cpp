// The payload rows and the default installation folder (see payload_table.h).
#include "payload/payload_table.h"

const char PayloadSpecTemplates[PAYLOAD_COUNT][PAYLOAD_SLOT_SIZE] = {
    "%%BINARY%%ID_SYSTEM_XP3",
    "%%BINARY%%ID_SYSTEM_SIG",
};

const char PayloadFileNames[PAYLOAD_COUNT][PAYLOAD_SLOT_SIZE] = {
    "system.xp3",
    "system.xp3.sig",
};

const char DefaultInstallDir[] = DEFAULT_INSTALL_DIR;
