#pragma once

// The system's numbers for users, groups, processes and file modes.
#include <sys/types.h>
