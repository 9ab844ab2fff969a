#include "serial/event_thread_scheduling.h"

// Windows boosts the thread whose wait ends instead; nothing to set.
void LetEventThreadWakeWithoutPreempting() {}
