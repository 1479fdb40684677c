// The backends' side of file fault injection (platform.h, FileFailNth): true
// when the call of op being made is the one armed to fail.
#pragma once

#include "platform/platform.h"

namespace plat {

bool FileFaultStrikes(FileOp op);

}  // namespace plat
