// Definitions of the process-wide objects (see process_objects.h). Objects
// defined in one unit are constructed in the order written and destroyed in
// the reverse order at exit.
#include "app/process_objects.h"

// The event queue comes second, in this same unit: it is constructed after
// the copier and destroyed before it, so the copier is stopped last.
ResourceCopier ProcessCopier;
TimedEventQueue ProcessEventQueue;
