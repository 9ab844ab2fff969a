#pragma once

// The two stores the serial port component can keep its settings in: an INI
// file (sections of key=value lines) and a registry key (named values that
// are strings or 32-bit integers). The caller opens the store and passes it.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

class TCustomIniFile {
 public:
  virtual ~TCustomIniFile() = default;

  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) = 0;
  virtual void WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
  // The default is returned when the key is missing or is not an integer.
  virtual std::int32_t ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) = 0;
  virtual void WriteInteger(std::string_view section, std::string_view key,
                            std::int32_t value) = 0;
};

// A failure of the registry store; the message names the value.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TRegistryValue = std::variant<std::string, std::int32_t>;

// One open registry key. Derived stores provide the raw value access; the
// reads and writes here give the registry's behaviour on top of it: a missing
// string reads empty, a missing integer fails, a value of the other type
// fails, a refused write fails.
class TRegistryStore {
 public:
  virtual ~TRegistryStore() = default;

  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, std::int32_t value);
  std::string ReadString(std::string_view name);
  std::int32_t ReadInteger(std::string_view name);

 protected:
  // Stores the value; false when the store refuses it.
  virtual bool PutValue(std::string_view name, const TRegistryValue& value) = 0;
  // The value, or nothing when it does not exist.
  virtual std::optional<TRegistryValue> GetValue(std::string_view name) const = 0;
};
