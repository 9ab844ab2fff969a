#include "serial/settings_store.h"

namespace {

std::string Quoted(std::string_view format, std::string_view name) {
  // Every message has the form "<text> '<name>'".
  return std::string(format) + " '" + std::string(name) + "'";
}

}  // namespace

void TRegistryStore::WriteString(std::string_view name, std::string_view value) {
  if (!PutValue(name, TRegistryValue(std::string(value))))
    throw ERegistryException(Quoted("Failed to set data for", name));
}

void TRegistryStore::WriteInteger(std::string_view name, std::int32_t value) {
  if (!PutValue(name, TRegistryValue(value)))
    throw ERegistryException(Quoted("Failed to set data for", name));
}

std::string TRegistryStore::ReadString(std::string_view name) {
  const auto value = GetValue(name);
  if (!value) return std::string();
  if (const auto* text = std::get_if<std::string>(&*value)) return *text;
  throw ERegistryException(Quoted("Invalid data type for", name));
}

std::int32_t TRegistryStore::ReadInteger(std::string_view name) {
  const auto value = GetValue(name);
  if (!value) throw ERegistryException(Quoted("Failed to get data for", name));
  if (const auto* number = std::get_if<std::int32_t>(&*value)) return *number;
  throw ERegistryException(Quoted("Invalid data type for", name));
}
