#pragma once

// Started from the desktop's menu ("waga --menu"), the program works in
// ~/Waga (see platform/working_folder.h). False, after an error box that says
// why, when that folder cannot be created or entered: the program then ends
// rather than scatter its files elsewhere.
bool EnterWorkingFolderOfMenuStart(int argc, char** argv);
