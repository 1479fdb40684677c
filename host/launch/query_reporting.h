// Answers to server-browser queries: the setup record handed to the network
// layer and the two callbacks that write the session's state as
// backslash-separated key/value text.
#pragma once

#include "varn/net.h"

// The setup record, rebuilt (zeroed and filled) at each call; one static
// instance that stays valid for the network layer.
QueryReportingSetup* BuildQueryReportingSetup();

// The game type's name in the answers: "dogfight" for 0, "cpmission" for 1,
// and "dogfight" for any other type, which plays as a dogfight.
const char* QueryGameTypeName(int gameType);

// Append "\hostname\...\hostport\0\gametype\...\numplayers\...\maxplayers\...
// \gamemode\..." and "\timelimit\0\fraglimit\0\teamplay\<type>\rankedserver\0"
// to the text in output (a buffer of length bytes). Pairs are appended whole
// or not at all, within length; before the player is in a session nothing is
// appended.
void VARN_CDECL QueryServerInfo(char* output, int length, IQueryContext* context);
void VARN_CDECL QueryRules(char* output, int length, IQueryContext* context);
