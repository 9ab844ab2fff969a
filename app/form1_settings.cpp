// The settings commands of the main window: pages "Plik" and "Podgląd", the
// transmission parameters and the company name and address.

#include "app/form1.h"

bool TForm1::CBzapisMouseDown(Qt::MouseButton) { return false; }

void TForm1::BzmienplikClick() {}

void TForm1::EmaxlinieKeyPress(char&) {}

void TForm1::EmaxlinieExit() {}

void TForm1::BwyczyscClick() {}

void TForm1::MMustaw_rsClick() {}

void TForm1::MnazwafirmyClick() {}

void TForm1::MadresfirmyClick() {}
