#include "WavDataChunk.h"

#include <array>
#include <cstring>
#include <fstream>

namespace qf::sound {

namespace {

constexpr int kMaxChunks = 1024;

std::uint64_t readLittle(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::uint64_t readBig(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

} // namespace

std::optional<WavDataChunk> WavDataChunk::find(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    const auto end = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    std::array<unsigned char, 12> riff{};
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size()) ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    const bool bigEndian = std::memcmp(riff.data(), "RIFX", 4) == 0;
    const bool wide =
        std::memcmp(riff.data(), "RF64", 4) == 0 || std::memcmp(riff.data(), "BW64", 4) == 0;
    if (!bigEndian && !wide && std::memcmp(riff.data(), "RIFF", 4) != 0) {
        return std::nullopt;
    }
    const auto number = [bigEndian](const unsigned char* bytes, int count) {
        return bigEndian ? readBig(bytes, count) : readLittle(bytes, count);
    };

    WavDataChunk chunk;
    std::uint64_t wideDataSize = 0;
    std::uint64_t at = riff.size();
    for (int i = 0; i < kMaxChunks && at + 8 <= end; ++i) {
        std::array<unsigned char, 8> head{};
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) {
            return std::nullopt;
        }
        const std::uint64_t size = number(head.data() + 4, 4);
        const std::uint64_t body = at + head.size();
        if (std::memcmp(head.data(), "data", 4) == 0) {
            // In RF64 the 32-bit field is a placeholder for the size given in ds64.
            chunk.claimedBytes = wide && size == 0xFFFFFFFFu ? wideDataSize : size;
            chunk.presentBytes = end - body;
            return chunk;
        }
        std::array<unsigned char, 16> start{};
        const auto wanted = static_cast<std::streamsize>(size < start.size() ? size : start.size());
        if (!in.read(reinterpret_cast<char*>(start.data()), wanted)) {
            return std::nullopt;
        }
        if (std::memcmp(head.data(), "fmt ", 4) == 0 && size >= 14) {
            chunk.blockAlign = static_cast<std::uint32_t>(number(start.data() + 12, 2));
        } else if (wide && std::memcmp(head.data(), "ds64", 4) == 0 && size >= 16) {
            wideDataSize = readLittle(start.data() + 8, 8);
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace qf::sound
