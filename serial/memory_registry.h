#pragma once

// A registry key held in memory: named string and integer values, names
// compared without regard to letter case. It can be made to refuse writes.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "serial/settings_store.h"

class TMemoryRegistry : public TRegistryStore {
 public:
  // While read-only, every write is refused.
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool Contains(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  void Remove(std::string_view name) { values_.erase(std::string(name)); }
  std::size_t Count() const { return values_.size(); }

 protected:
  bool PutValue(std::string_view name, const TRegistryValue& value) override;
  std::optional<TRegistryValue> GetValue(std::string_view name) const override;

 private:
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::map<std::string, TRegistryValue, NameLess> values_;
  bool readOnly_ = false;
};
