// Opens arbitrary bytes as a catalog through the file manager and reads every
// member every way a client can; aborts when a catalog that opened breaks one
// of its promises (members back to back inside the file, reads that deliver
// exactly a member's bytes, the index answering as the scan does).
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzCatalogBytes(const uint8_t* data, size_t size);
