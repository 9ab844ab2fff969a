#include <windows.h>

#include "export/thread_priority.h"

void LowerThisThreadsPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
