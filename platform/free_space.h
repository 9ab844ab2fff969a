#pragma once

#include <cstdint>

// Bytes free for this user on the file system of the working directory;
// -1 when it cannot be determined.
std::int64_t FreeDiskSpace();
