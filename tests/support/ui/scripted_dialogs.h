#pragma once

// The one stand-in for the program's boxes in every test: answers them from
// a script and records what was shown, in order. An unscripted question is
// answered "No" / cancelled.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "view/dialogs.h"

class ScriptedDialogs : public Dialogs {
 public:
  struct Message {
    MessageKind kind;
    std::string text;
    bool operator==(const Message&) const = default;
  };

  std::vector<Message> messages;
  std::vector<std::string> confirmations;
  std::vector<std::string> inputPrompts;
  std::vector<std::string> inputCaptions;
  std::vector<std::string> inputPresets;
  std::vector<std::string> saveRequests;
  // Every box in the order shown: "message:", "confirm:", "input:" or "save:"
  // followed by its text.
  std::vector<std::string> log;

  std::deque<bool> confirmAnswers;
  std::deque<std::optional<std::string>> inputAnswers;  // nullopt: "Anuluj"
  std::deque<std::optional<std::string>> saveAnswers;   // nullopt: cancelled
  // Runs while a box is "open", as the nested loop of a real box would.
  std::function<void()> whileShown;

  void ShowMessage(MessageKind kind, const std::string& text) override {
    messages.push_back({kind, text});
    log.push_back("message:" + text);
    Shown();
  }

  bool Confirm(const std::string& text) override {
    confirmations.push_back(text);
    log.push_back("confirm:" + text);
    Shown();
    return Next(confirmAnswers, false);
  }

  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& preset) override {
    inputPrompts.push_back(prompt);
    inputCaptions.push_back(caption);
    inputPresets.push_back(preset);
    log.push_back("input:" + prompt);
    Shown();
    return Next(inputAnswers, std::optional<std::string>()).value_or(preset);
  }

  std::optional<std::string> SaveFileName(const std::string& initialName) override {
    saveRequests.push_back(initialName);
    log.push_back("save:" + initialName);
    Shown();
    return Next(saveAnswers, std::optional<std::string>());
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& answers, T fallback) {
    if (answers.empty()) return fallback;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }

  void Shown() {
    if (whileShown) whileShown();
  }
};
