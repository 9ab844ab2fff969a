#include "export/target_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "export/file_names.h"

namespace fs = std::filesystem;

std::string TemporaryBeside(const std::string& target) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device random;
  std::string suffix = ".~";
  for (unsigned bits = random(), i = 0; i < 8; ++i, bits >>= 4) suffix += kHex[bits & 15];
  return target + suffix;
}

std::optional<std::string> TargetHeldOpen(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string name = NameOf(target);
  std::error_code error;
  // LibreOffice (on every platform) and Excel leave these beside an open file.
  const bool lockFile = fs::exists(InFolder(folder, ".~lock." + name + "#"), error) ||
                        fs::exists(InFolder(folder, "~$" + name), error);
  if (!lockFile && !HeldOpenBySystem(target)) return std::nullopt;
  return "Plik „" + target + "” jest otwarty w innym programie. Zamknij go tam i spróbuj ponownie.";
}

std::string CannotWrite(const std::string& target, const std::string& reason) {
  return "Nie można zapisać pliku „" + target + "”: " + reason + ".";
}

std::string ErrnoReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return "brak uprawnień do zapisu";
    case ENOENT: return "nie ma takiego katalogu";
    case ENOTDIR: return "w ścieżce jest plik zamiast katalogu";
    case EISDIR: return "to jest katalog";
    case ENOSPC: return "brak miejsca na dysku";
    case EROFS: return "dysk tylko do odczytu";
    case ENAMETOOLONG: return "za długa nazwa";
    default: return std::string(std::strerror(error)) + " (błąd " + std::to_string(error) + ")";
  }
}
