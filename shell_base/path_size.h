// The size of every path buffer of the system, terminating zero included.
#pragma once

const int kPathSize = 260;
