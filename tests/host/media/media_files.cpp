#include "media_files.h"

#include <cstdint>

namespace mediatest {
namespace {

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}
void PutChunk(std::string& out, const char* id, const std::string& data) {
    out.append(id, 4);
    Put32(out, static_cast<uint32_t>(data.size()));
    out += data;
    if (data.size() % 2) out += '\0';
}
std::string List(const char* type, const std::string& data) {
    std::string list(type, 4);
    return list + data;
}

}  // namespace

std::string UncompressedAvi(int width, int height, int frames, int framesPerSecond) {
    const uint32_t w = static_cast<uint32_t>(width);
    const uint32_t h = static_cast<uint32_t>(height);
    const uint32_t count = static_cast<uint32_t>(frames);
    const uint32_t rate = static_cast<uint32_t>(framesPerSecond);
    const uint32_t frameBytes = ((w * 3 + 3) & ~3u) * h;

    // Main header: microseconds per frame, bytes per second, padding, flags (has
    // an index), frames, initial frames, streams, buffer size, size, reserved.
    std::string mainHeader;
    for (uint32_t value : {1000000u / rate, frameBytes * rate, 0u, 0x10u, count, 0u, 1u, frameBytes, w, h, 0u, 0u,
                           0u, 0u})
        Put32(mainHeader, value);
    // Stream header: type and handler, flags, priority and language, initial
    // frames, scale, rate, start, length, buffer size, quality, sample size,
    // then the frame rectangle.
    std::string streamHeader("vidsDIB ", 8);
    for (uint32_t value : {0u, 0u, 0u, 1u, rate, 0u, count, frameBytes, 0xFFFFFFFFu, 0u, 0u, w | h << 16})
        Put32(streamHeader, value);
    // Bitmap header: size, width, height, planes and bits (1, 24), uncompressed,
    // image size, resolution and colour counts.
    std::string format;
    for (uint32_t value : {40u, w, h, 1u | 24u << 16, 0u, frameBytes, 0u, 0u, 0u, 0u}) Put32(format, value);

    std::string streamList;
    PutChunk(streamList, "strh", streamHeader);
    PutChunk(streamList, "strf", format);
    std::string headerList;
    PutChunk(headerList, "avih", mainHeader);
    PutChunk(headerList, "LIST", List("strl", streamList));

    std::string movie;
    std::string index;
    for (int frame = 0; frame < frames; ++frame) {
        std::string pixels(frameBytes, '\0');
        for (uint32_t i = 0; i + 2 < frameBytes; i += 3) {
            pixels[i] = static_cast<char>(frame * 40);
            pixels[i + 1] = static_cast<char>(255 - frame * 20);
            pixels[i + 2] = static_cast<char>(i * 7 / frameBytes * 32);
        }
        index += "00db";
        Put32(index, 0x10);                                     // key frame
        Put32(index, static_cast<uint32_t>(movie.size()) + 4);  // from the "movi" type
        Put32(index, frameBytes);
        PutChunk(movie, "00db", pixels);
    }

    std::string body("AVI ", 4);
    PutChunk(body, "LIST", List("hdrl", headerList));
    PutChunk(body, "LIST", List("movi", movie));
    PutChunk(body, "idx1", index);
    std::string file;
    PutChunk(file, "RIFF", body);
    return file;
}

std::string SilentWav(int milliseconds) {
    const uint32_t rate = 8000;
    // PCM, mono, 8000 samples and bytes a second, one-byte blocks of 8 bits.
    std::string format;
    for (uint32_t value : {1u | 1u << 16, rate, rate, 1u | 8u << 16}) Put32(format, value);
    std::string body("WAVE", 4);
    PutChunk(body, "fmt ", format);
    PutChunk(body, "data", std::string(rate * static_cast<uint32_t>(milliseconds) / 1000, '\x80'));
    std::string file;
    PutChunk(file, "RIFF", body);
    return file;
}

}  // namespace mediatest
