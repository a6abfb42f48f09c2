// Definitions of the process-wide objects (see process_objects.h). Objects
// defined in one unit are constructed in the order written and destroyed in
// the reverse order at exit.
#include "app/process_objects.h"

ResourceCopier ProcessCopier;

// The process-wide event queue belongs right here, after the copier and in
// this same unit: it is then constructed after the copier and destroyed
// before it, so the copier is stopped last.
