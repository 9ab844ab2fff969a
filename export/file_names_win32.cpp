#include "export/file_names.h"

const char* const kFolderSeparators = "/\\";
