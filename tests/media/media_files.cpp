#include "media_files.h"

#include <cstdint>

namespace mediatest {
namespace {

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}
void Put16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
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
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t frameBytes = rowBytes * static_cast<uint32_t>(height);

    std::string mainHeader;
    Put32(mainHeader, 1000000u / static_cast<uint32_t>(framesPerSecond));  // microseconds per frame
    Put32(mainHeader, frameBytes * static_cast<uint32_t>(framesPerSecond));
    Put32(mainHeader, 0);
    Put32(mainHeader, 0x10);  // has an index
    Put32(mainHeader, static_cast<uint32_t>(frames));
    Put32(mainHeader, 0);
    Put32(mainHeader, 1);  // streams
    Put32(mainHeader, frameBytes);
    Put32(mainHeader, static_cast<uint32_t>(width));
    Put32(mainHeader, static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i) Put32(mainHeader, 0);

    std::string streamHeader("vidsDIB ", 8);
    Put32(streamHeader, 0);  // flags
    Put16(streamHeader, 0);  // priority
    Put16(streamHeader, 0);  // language
    Put32(streamHeader, 0);  // initial frames
    Put32(streamHeader, 1);  // scale
    Put32(streamHeader, static_cast<uint32_t>(framesPerSecond));  // rate
    Put32(streamHeader, 0);  // start
    Put32(streamHeader, static_cast<uint32_t>(frames));
    Put32(streamHeader, frameBytes);
    Put32(streamHeader, 0xFFFFFFFFu);  // quality
    Put32(streamHeader, 0);            // sample size
    Put16(streamHeader, 0);
    Put16(streamHeader, 0);
    Put16(streamHeader, static_cast<uint16_t>(width));
    Put16(streamHeader, static_cast<uint16_t>(height));

    std::string format;  // BITMAPINFOHEADER
    Put32(format, 40);
    Put32(format, static_cast<uint32_t>(width));
    Put32(format, static_cast<uint32_t>(height));
    Put16(format, 1);
    Put16(format, 24);
    Put32(format, 0);  // uncompressed
    Put32(format, frameBytes);
    for (int i = 0; i < 4; ++i) Put32(format, 0);

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
    std::string format;
    Put16(format, 1);  // PCM
    Put16(format, 1);  // mono
    Put32(format, rate);
    Put32(format, rate);  // bytes per second
    Put16(format, 1);     // block align
    Put16(format, 8);     // bits per sample
    std::string body("WAVE", 4);
    PutChunk(body, "fmt ", format);
    PutChunk(body, "data", std::string(rate * static_cast<uint32_t>(milliseconds) / 1000, '\x80'));
    std::string file;
    PutChunk(file, "RIFF", body);
    return file;
}

}  // namespace mediatest
