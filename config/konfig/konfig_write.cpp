#include "config/konfig/konfig.h"
#include "serial/stored_file.h"

void SaveKonfig(const KonfigSettings& settings, const std::string& path) {
  // A file or folder that cannot be written keeps the old settings; the
  // close of the program reports nothing.
  ReplaceStoredFile(path, KonfigText(settings));
}
