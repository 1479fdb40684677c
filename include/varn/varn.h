// The whole module SDK: the registry, the host services, the game-module
// interfaces the host and varnComm call, and the records they exchange.
#pragma once

#include "sdk.h"
#include "registry.h"
#include "held.h"

// Host services.
#include "app.h"
#include "clk.h"
#include "dbg.h"
#include "dll.h"
#include "fmg.h"
#include "mem.h"
#include "opt.h"
#include "rnd.h"

// Game modules and the comm menu.
#include "com.h"
#include "ctl.h"
#include "cursor_list_record.h"
#include "dsp.h"
#include "flt.h"
#include "gfx.h"
#include "inp.h"
#include "mmg.h"
#include "mnu.h"
#include "msn.h"
#include "net.h"
#include "obj.h"
#include "snd.h"
#include "spc.h"
#include "ter.h"
#include "txt.h"
