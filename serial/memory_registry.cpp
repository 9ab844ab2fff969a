#include "serial/memory_registry.h"

#include <algorithm>
#include <cctype>

bool TMemoryRegistry::NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool TMemoryRegistry::PutValue(std::string_view name, const TRegistryValue& value) {
  if (readOnly_) return false;
  values_.insert_or_assign(std::string(name), value);
  return true;
}

std::optional<TRegistryValue> TMemoryRegistry::GetValue(std::string_view name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}
