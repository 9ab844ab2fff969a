#pragma once

// A setter stores only a changed value; the caller re-applies its group then.
template <typename T>
bool StoreIfChanged(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}
