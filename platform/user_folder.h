#pragma once

// What the working folder of a menu start needs of the system: the user's
// own folder and the system's words for an error, both as UTF-8.

#include <optional>
#include <string>
#include <system_error>

// The home folder ($HOME) on Linux, the user's profile (%USERPROFILE%) on
// Windows; nothing when the environment names none.
std::optional<std::string> UserFolder();

// What the system says about `error`, in the user's language where the
// system has it.
std::string SystemErrorText(const std::error_code& error);
