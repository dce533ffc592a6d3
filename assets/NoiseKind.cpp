#include "assets/NoiseKind.h"

#include <array>

std::span<const NoiseKind> NoiseKind::all() {
    // The seeds are arbitrary but fixed, so that every build writes the same bytes.
    static const std::array<NoiseKind, 5> kinds{{
        {"Brown_Noise.Wav", "brown_noise.jpg", -6.02, 0x6272'6f77'6e00'0001, 0x6272'6f77'6e00'0002,
         0x6b4423, 0xf0d9b5},
        {"Pink_Noise.Wav", "pink_noise.jpg", -3.01, 0x7069'6e6b'0000'0001, 0x7069'6e6b'0000'0002,
         0xf4a7c0, 0x7a1f45},
        {"White_Noise.Wav", "white_noise.jpg", 0.0, 0x7768'6974'6500'0001, 0x7768'6974'6500'0002,
         0xeeeeee, 0x505050},
        {"Blue_Noise.Wav", "blue_noise.jpg", 3.01, 0x626c'7565'0000'0001, 0x626c'7565'0000'0002,
         0x2456c8, 0xd6e6ff},
        {"violet.Wav", "violet.jpg", 6.02, 0x7669'6f6c'6574'0001, 0x7669'6f6c'6574'0002, 0x7b3fb5,
         0xf0dcff},
    }};
    return kinds;
}
