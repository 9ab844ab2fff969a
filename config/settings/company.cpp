#include "config/settings/company.h"

#include "text/win1250.h"
#include "view/dialogs.h"

void EditCompanyName(std::string& companyName, Dialogs& dialogs) {
  companyName = dialogs.InputBox(Utf8ToCp1250("Nazwa firmy"), Utf8ToCp1250("Podaj nazwę firmy:"),
                                 companyName);
}

void EditCompanyAddress(std::string& companyAddress, Dialogs& dialogs) {
  companyAddress = dialogs.InputBox(Utf8ToCp1250("Adres firmy"), Utf8ToCp1250("Podaj adres firmy:"),
                                    companyAddress);
}
