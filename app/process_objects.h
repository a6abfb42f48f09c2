// The objects that live as long as the process, built during static
// initialisation before WinMain and destroyed at the normal exit.
#ifndef APP_PROCESS_OBJECTS_H
#define APP_PROCESS_OBJECTS_H

#include "payload/resource_copier.h"
#include "util/timed_event_queue.h"

// The one copier of the process. Its destruction at exit stops a copy that
// is still running, so the user's old file stays whole.
extern ResourceCopier ProcessCopier;

// The process's event queue, for the program's own use; the patch sequence
// does not use it.
extern TimedEventQueue ProcessEventQueue;

#endif
