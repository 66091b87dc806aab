#include "platform/thread_priority.h"

#include <windows.h>

// One step below normal: about what the Linux build's five nice steps give a
// busy job against a thread of normal priority. Windows starts every new
// thread at normal priority, so threads started later do not inherit it.
void LowerThisThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
