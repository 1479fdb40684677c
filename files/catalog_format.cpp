#include "files/catalog_format.h"

#include "files/strings.h"

#include <cstring>

void DecodeCatalogHeader(const unsigned char* bytes, CatalogHeader* header) {
    memcpy(header->signature, bytes, kCatalogSignatureSize);
    header->fileCount = DecodeLittle32(bytes + 16);
    header->extensionCount = DecodeLittle32(bytes + 20);
    header->dataSize = DecodeLittle32(bytes + 24);
}

bool IsCatalogSignature(const char* signature) {
    if (!signature) return false;
    char text[kCatalogSignatureSize + 1];
    memcpy(text, signature, kCatalogSignatureSize);
    text[kCatalogSignatureSize] = 0;  // sixteen bytes without a zero are not "CAT"
    return StringsEqual(text, "CAT", false);
}
