#pragma once

// The POSIX numbers the diagnosis records carry. Windows has process ids and
// file modes but no user or group numbers: there they stay 0.
#include <sys/types.h>

using uid_t = unsigned int;
using gid_t = unsigned int;
