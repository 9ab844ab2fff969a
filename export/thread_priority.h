#pragma once

// The export's thread gives way to the program's own threads (the serial
// event thread, the window's thread) when the processor is short.
void LowerThisThreadsPriority();
