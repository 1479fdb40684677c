/* The baselines of the whole-process checksum benchmark: reads FILE in
 * 128 KiB pieces and prints its CRC-32 as eight hex digits, as varncat crc
 * does. Built twice: with libdeflate's CRC-32 (CRC_WITH_LIBDEFLATE) and with
 * zlib's.
 *   crc_libdeflate FILE, crc_zlib FILE */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#ifdef CRC_WITH_LIBDEFLATE
#include <libdeflate.h>
#define CRC_UPDATE(crc, data, size) libdeflate_crc32((crc), (data), (size))
#else
#include <zlib.h>
#define CRC_UPDATE(crc, data, size) (uint32_t) crc32((crc), (const Bytef*)(data), (uInt)(size))
#endif

static unsigned char buffer[128 * 1024];

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0) {
        fprintf(stderr, "%s: cannot open %s\n", argv[0], argv[1]);
        return 1;
    }
    uint32_t crc = 0;
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) crc = CRC_UPDATE(crc, buffer, (size_t)got);
    close(fd);
    if (got < 0) return 1;
    printf("%08x\n", (unsigned)crc);
    return 0;
}
