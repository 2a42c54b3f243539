#include "app/version.h"

extern "C" float GetHostVersionNumber() { return kProgramVersion; }
