# Realistic faults in the network layer's portable protocol code, for
# /work/shared/tools/mutate.py (target test_net_protocol): each is a slip a
# developer could make; the native tests are to catch them.
H = "modules/net/session_host.cpp"
M = "modules/net/session_messages.cpp"
W = "modules/net/net_wire.cpp"
K = "modules/net/keyed_hash.cpp"
R = "modules/net/rate_limit.cpp"
Q = "modules/net/query_text.cpp"
F = "modules/net/flight_messages.cpp"
A = "modules/net/file_allow_list.cpp"
FAULTS = [
    ("cookie-ip-only", H, "memcpy(bytes + 4, &from.port, 2);", "memset(bytes + 4, 0, 2);", "cookie bound to the IP only"),
    ("old-key-kept", H, "elapsed >= 2 * kCookiePeriodMs ? HashKey{Draw(), Draw()} : m_cookieKey", "m_cookieKey", "old key valid after two periods"),
    ("ct-compare-32", K, "volatile uint64_t difference = a ^ b;", "volatile uint32_t difference = static_cast<uint32_t>(a ^ b);", "constant-time compare of 32 bits"),
    ("token-zero", M, "(out->status != kAdmitted || out->token != 0) &&", "", "joiner takes token 0"),
    ("expire-forward", H, "for (int i = m_playerCount - 1; i >= 0; --i) {\n        if (now - m_players[i].lastHeard > kPlayerTimeoutMs) Drop(i);", "for (int i = 0; i < m_playerCount; ++i) {\n        if (now - m_players[i].lastHeard > kPlayerTimeoutMs) Drop(i);", "expiry skips a player after a swap-remove"),
    ("timeout-3s", "modules/net/session_host.h", "kPlayerTimeoutMs = 30000;", "kPlayerTimeoutMs = 3000;", "3 s timeout instead of 30 s"),
    ("reader-mark-only", W, "if (size < kHeaderSize || memcmp(data, kMark, sizeof kMark) != 0) {", "if (size < 4 || memcmp(data, kMark, sizeof kMark) != 0) {", "reader checks only the mark"),
    ("text-terminator", W, "const size_t copied = length < size - 1 ? length : size - 1;", "const size_t copied = length < size ? length : size;", "text fills its buffer, terminator one past"),
    ("writer-room", W, "size > kMaxDatagram - m_size", "size > kMaxDatagram", "writer bound ignores the room used"),
    ("files-before-ready", H, "if (!request.Ok() || !m_ready || !m_fileSource) return nullptr;", "if (!request.Ok() || !m_fileSource) return nullptr;", "files served before ready"),
    ("challenge-total", H, "    {0, 1},    // challenges: per address only", "    {40, 25},  // challenges", "a total on challenges"),
    ("challenge-no-pad", H, "if (!request.Bytes(kChallengeSize - kHeaderSize)) return false;", "", "short challenge answered"),
    ("no-salt", H, "    answer.Bytes(m_salt, kSaltSize);\n", "", "challenge answer without salt"),
    ("seats-off-by-one", H, "sameAddress >= m_seatsPerAddress", "sameAddress > m_seatsPerAddress", "one seat too many per address"),
    ("seats-default", H, "settings.seatsPerAddress > 0 ? settings.seatsPerAddress : kDefaultSeatsPerAddress", "kDefaultSeatsPerAddress", "seat option ignored"),
    ("ghost-silence", H, "now - player.lastHeard >= kGhostSilenceMs", "now - player.lastHeard >= 0", "a live player is taken over"),
    ("ghost-name", H, "&& StringsEqual(player.name, SafeName(name).name, true)", "", "ghost taken over under another name"),
    ("ghost-place", H, "player.place = returning ? place : FreePlace();", "player.place = FreePlace();", "returning player loses its place"),
    ("ghost-token", H, "            do player.token = Draw();\n            while (player.token == 0);\n", "            if (!returning) do player.token = Draw();\n            while (player.token == 0);\n", "ghost keeps the old token"),
    ("join-unsealed", H, "    answer.Seal(JoinAnswerKey(cookie));\n", "", "join answer not sealed"),
    ("answer-unsealed", H, "        if (answered) reply.Seal(player->answerKey);\n", "", "player answers not sealed"),
    ("seal-unchecked", W, "    if (!SameInConstantTime(seal, KeyedHash(key, data, covered))) return false;\n", "", "seal not checked"),
    ("seal-short", W, "if (*size < kHeaderSize + kSealSize) return false;", "if (*size < kSealSize) return false;", "seal on a short datagram"),
    ("request-budget", H, "        if (rule->budgeted && !player->requestBudget.Take(kPlayerRequests, now)) return 0;\n", "", "admitted requests unbudgeted"),
    ("allowance-once", H, "    if (entry >= 0 && !(player.filesDescribed & (1u << entry))) {", "    if (entry >= 0) {", "allowance granted on every describe"),
    ("allowance-unchecked", H, "    if (player.fileAllowance < kChunkSize) return false;\n", "", "chunk allowance not checked"),
    ("counts-negative", M, "return maxPlayers >= 0 && currentPlayers >= 0 && currentPlayers <= maxPlayers;", "return true;", "player counts unchecked"),
    ("counts-current", M, "currentPlayers <= maxPlayers;", "currentPlayers <= maxPlayers + 1;", "one player more than the maximum taken"),
    ("chunk-length", M, "out->length <= fileSize - out->offset", "out->length <= fileSize", "chunk past the file end taken"),
    ("chunk-offset", M, "out->offset < fileSize &&", "", "chunk at the file end taken"),
    ("status-place", M, "out->place < kMaxPlaces &&", "", "place beyond the flight taken"),
    ("file-size-limit", M, "out->size <= kMaxFileSize;", "true;", "file larger than the limit taken"),
    ("notice-token", M, "SameInConstantTime(carried, token);", "true;", "host notice with another token taken"),
    ("leave-wrong-player", H, "        if (player.address == from && SameInConstantTime(player.token, token)) {", "        if (SameInConstantTime(player.token, token)) {", "token taken from another address"),
    ("password-unchecked", H, "    else if (m_passwordGiven && !passwordRight)", "    else if (false && !passwordRight)", "password not checked"),
    ("version-unchecked", H, "    if (!StringsEqual(version, m_version, true))\n        status = kRefusedVersion;\n    else if", "    if", "version not checked"),
    ("full-unchecked", H, "(CurrentPlayers() >= m_maxPlayers ||", "(CurrentPlayers() > m_maxPlayers ||", "one player more than the session holds"),
    ("name-unsanitised", H, "        if (*c == '\\\\' || static_cast<unsigned char>(*c) < 0x20) *c = '_';", "        if (static_cast<unsigned char>(*c) < 0x20) *c = '_';", "backslash kept in a player name"),
    ("bucket-burst", R, "    if (m_burst >= budget.burst) return false;", "    if (m_burst > budget.burst) return false;", "one answer more than the burst"),
    ("total-ignored", R, "return m_total.burst <= 0 || m_totalBucket.Take(m_total, now);", "return true;", "totals not applied"),
    ("salt-ignored", K, "    memcpy(saltBytes, salt, saltSize < sizeof saltBytes ? saltSize : sizeof saltBytes);\n", "", "password key without salt"),
    ("query-unterminated", Q, "    answer[limit - 1] = '\\0';\n    if (rules", "    if (rules", "callback overrun not cut back"),
    ("query-size", Q, "for (size_t i = 0; i + length <= size; ++i) {", "for (size_t i = 0; i + length <= size + 2; ++i) {", "query read past its size"),
    ("states-token", F, "sent != token || token == 0 ||", "token == 0 ||", "flight states with another token taken"),
    ("allow-index", A, "        if (found == m_entries[i].path) return i;", "        if (found == m_entries[i].path) return 0;", "allowance granted to the first entry only"),
]
