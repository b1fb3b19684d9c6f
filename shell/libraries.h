// Keeps the shared libraries loaded so far, the GL driver's among them, until the process ends.
#pragma once

void keepLibrariesLoaded();
