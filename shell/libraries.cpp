// Keeps the shared libraries loaded so far mapped until the process ends. On the way out GLUT closes the
// display and the GL driver unloads its own libraries, before the sanitizer build's leak check runs:
// their leftovers would then come from an unknown module that no suppression can name. Nothing else
// changes: libraries are unmapped at exit anyway.
#include "shell/libraries.h"

#include <dlfcn.h>
#include <link.h>

static int keepLoaded(dl_phdr_info* library, size_t, void*) {
    // The program itself has no name here; the handle is never closed, on purpose.
    if (library->dlpi_name && library->dlpi_name[0])
        dlopen(library->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

void keepLibrariesLoaded() {
    dl_iterate_phdr(keepLoaded, nullptr);
}
