#pragma once

// The maker's texts shown in the main window and the about window. Qel is the
// program's fictional maker; its addresses are in the reserved example.com
// domain. UTF-8 literals for the widgets.

namespace maker {
inline constexpr const char* kNameAndTown = "Qel s.c., 34-100 Wagowo";
inline constexpr const char* kPhoneFax = "tel./fax (0-33) 555 01 20";
inline constexpr const char* kSecondPhone = "tel. kom. 0-600 555 012";
inline constexpr const char* kWeb = "www.qel.example.com";
inline constexpr const char* kWebUrl = "http://www.qel.example.com";
inline constexpr const char* kMail = "biuro@qel.example.com";
inline constexpr const char* kVersionTag = "QEL4_3";
inline constexpr const char* kAdvert =
    "Qel - wagi elektroniczne od 1991 roku.\n"
    "\n"
    "Produkujemy wagi platformowe, pomostowe, "
    "magazynowe i sklepowe z legalizacją, "
    "wagi do ważenia zwierząt i wagi "
    "kontrolne dla przemysłu.\n"
    "\n"
    "Wszystkie nasze wagi mają złącze RS-232 "
    "i współpracują z tym programem.\n"
    "\n"
    "Serwis gwarancyjny i pogwarancyjny, "
    "legalizacja, dojazd do klienta.\n"
    "\n"
    "Zapraszamy:\n"
    "www.qel.example.com\n"
    "biuro@qel.example.com\n"
    "tel./fax (0-33) 555 01 20";
}  // namespace maker
