#pragma once

// A target is written under a temporary name beside it and then renamed over
// it, so that it is never seen half-written and an old file stays whole when
// the export fails. Reasons are Polish (UTF-8). Unlike a stored file
// (serial/stored_file.h), whose new bytes are in memory, a target is
// streamed into its temporary file row by row; only the last step, the
// rename, is the same.

#include <optional>
#include <string>

// A fresh name in the target's folder (the rename stays on one disk).
std::string TemporaryBeside(const std::string& target);

// Puts `temporary` in place of `target` in one step.
std::optional<std::string> PutInPlace(const std::string& temporary, const std::string& target);

// The reason when another program has the target open: a spreadsheet's lock
// file beside it, or (Windows) a file that cannot be opened for writing.
std::optional<std::string> TargetHeldOpen(const std::string& target);

// True when the system itself refuses to share the target with a writer
// (Windows); the platform's own file.
bool HeldOpenBySystem(const std::string& target);

// "Nie można zapisać pliku „target”: reason."
std::string CannotWrite(const std::string& target, const std::string& reason);
// The reason for a C library error number.
std::string ErrnoReason(int error);
