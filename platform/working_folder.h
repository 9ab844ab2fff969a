#pragma once

// The working folder of a start from the desktop's menu. The menu entry runs
// "waga --menu"; the program then works in ~/Waga (on Windows the Start menu
// entry: %USERPROFILE%\Waga, which is also the entry's "Start in" folder), so
// that konfig.ini, porty.ini and the data files sit together in a folder the
// user can find. Started otherwise (no switch) it keeps the current directory.
// Folder names and reasons are UTF-8.

#include <optional>
#include <string>

inline constexpr const char* kMenuSwitch = "--menu";

bool HasMenuSwitch(int argc, char** argv);

// <user folder>/Waga (platform/user_folder.h); nothing when there is no
// user folder.
std::optional<std::string> MenuWorkingFolder();

// Creates `folder` if it is missing (its parent must exist) and makes it the
// current directory. Nothing on success, else the reason in Polish (UTF-8).
std::optional<std::string> EnterWorkingFolder(const std::string& folder);

// With the menu switch: enters MenuWorkingFolder(). Nothing on success or
// without the switch, else the reason in Polish (UTF-8).
std::optional<std::string> EnterMenuWorkingFolder(int argc, char** argv);
