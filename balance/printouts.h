#pragma once

// The three print commands of the page "Bilans". Each runs on the
// user-interface thread, reads the preview through the host and prints on
// the host's print stream. A printer failure after the job was opened aborts
// the job and leaves the command as a PrintError.

#include "balance/printout_host.h"

// "Drukuj bilans": the number of weighings and the total mass of the last
// balance record of the preview.
void BBdrukuj_bilansClick(PrintoutHost& host);
// "Drukuj szczegółowy bilans": one row per record of the final run of
// balance records in the preview.
void BBdrukuj_szczbilansClick(PrintoutHost& host);
// "Drukuj": the non-empty preview lines from the second one on.
void BBdrukujClick(PrintoutHost& host);
