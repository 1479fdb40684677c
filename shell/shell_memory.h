// The allocation functions as module code includes them with the rest of the
// service access layer; they live in shell_base/, below the file and INI
// libraries that allocate through them.
#pragma once

#include "shell_base/shell_memory.h"
