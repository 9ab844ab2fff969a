// Scale data: the received characters, the first connection and the
// supervision tick of the main window.

#include "app/form1.h"

void TForm1::ConnectScalePort() {}

void TForm1::ComPortDriver_inRxChar(std::int32_t) {}

void TForm1::Timer1Timer() {}
