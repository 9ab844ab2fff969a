#pragma once

// Replacing a stored file (konfig.ini, porty.ini, the settings store's INI
// file) by new contents, the one way every owner of such a file writes it:
// the bytes go into a temporary file in the same folder, which is flushed
// to the disk and then renamed over the old file, so that a reader sees
// either the old file or the new one, never half of it. A symbolic link is
// followed to the file it leads to, which is replaced and keeps its
// permissions (a link that leads nowhere gets its target created). A file
// that is read-only (no write permission at all, or none for this user) is
// not replaced. On any failure the stored file is as it was and the
// temporary file is gone.

#include <string>
#include <string_view>

// Returns 0, or the system's error number of the step that failed (errno;
// GetLastError() on Windows). A read-only file gives EACCES
// (ERROR_ACCESS_DENIED).
int ReplaceStoredFile(const std::string& path, std::string_view bytes);
