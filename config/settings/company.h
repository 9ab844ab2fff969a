#pragma once

// "&Nazwa firmy..." and "&Adres firmy...": the input box decides; "OK" takes
// the field even when empty, "Anuluj" keeps the value.

#include <string>

class Dialogs;

void EditCompanyName(std::string& companyName, Dialogs& dialogs);
void EditCompanyAddress(std::string& companyAddress, Dialogs& dialogs);
