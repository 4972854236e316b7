// Dressing the tool's windows in the embedded skin at start-up.
#pragma once

#include "skin/module_loader.h"

// Maps the embedded skinning library with the loader and hands it the embedded skin. On any
// failure the library is released again and the windows stay as they are; false says so.
bool apply_skin(ModuleLoader* loader);
