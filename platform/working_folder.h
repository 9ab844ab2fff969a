#pragma once

// The working folder of a start from the desktop's menu. The menu entry runs
// "waga --menu"; the program then works in ~/Waga, so that konfig.ini,
// porty.ini and the data files sit together in a folder the user can find.
// Started from a terminal (no switch) it keeps the current directory.

#include <optional>
#include <string>

inline constexpr const char* kMenuSwitch = "--menu";

bool HasMenuSwitch(int argc, char** argv);

// <home>/Waga, the home folder taken from $HOME, else from %USERPROFILE%
// (Windows); nothing when neither names one.
std::optional<std::string> MenuWorkingFolder();

// Creates `folder` if it is missing (its parent must exist) and makes it the
// current directory. Nothing on success, else the reason in Polish (UTF-8).
std::optional<std::string> EnterWorkingFolder(const std::string& folder);

// With the menu switch: enters MenuWorkingFolder(). Nothing on success or
// without the switch, else the reason in Polish (UTF-8).
std::optional<std::string> EnterMenuWorkingFolder(int argc, char** argv);
