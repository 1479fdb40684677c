// The log entry points as module code includes them with the rest of the
// service access layer; they live in shell_base/, below the file and INI
// libraries that log through them.
#pragma once

#include "shell_base/log.h"
