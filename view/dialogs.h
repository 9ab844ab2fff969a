#pragma once

// Modal boxes and the file-save dialog behind one interface, so that Qt-free
// code can ask the user and tests can answer with scripted replies.
// All texts are Windows-1250; '\r' in a message breaks the line.

#include <optional>
#include <string>

enum class MessageKind { Warning, Error, Information };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // "Ostrzeżenie", "Błąd" or "Informacja" with the single button "OK".
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // "Potwierdzenie" with "&Tak" (default) and "&Nie"; true for "&Tak".
  virtual bool Confirm(const std::string& text) = 0;
  // Caption, prompt and a field of at most 255 characters preset to `preset`
  // (wholly selected); "OK" returns the field, "Anuluj" returns `preset`.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                               const std::string& preset) = 0;
  // The file-save dialog with the single filter "Wszystkie pliki" and no
  // overwrite prompt: the chosen name with its full path, or nothing.
  virtual std::optional<std::string> SaveFileName(const std::string& initialName) = 0;
};
