// The print buttons of page "Bilans".

#include "app/form1.h"

void TForm1::BBdrukujClick() {}

void TForm1::BBdrukuj_bilansClick() {}

void TForm1::BBdrukuj_szczbilansClick() {}
