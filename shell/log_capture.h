// The log's test seam, beside the log entry points' face in this folder; it
// lives in shell_base/ with the entry points.
#pragma once

#include "shell_base/log_capture.h"
