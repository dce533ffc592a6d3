#pragma once

namespace qf::mci {

// The media device's error codes; 0 is success.
enum class MediaError : unsigned {
    None = 0,
    UnknownCommand,
    BadSyntax,
    NoSuchAlias,
    AliasInUse,
    UnsupportedDevice,
    BadNumber,
    UnsupportedFormat,
    OutOfRange,
    DeviceUnavailable,
    PlaybackUnavailable,
    BadPath,
    SaveFailed,
};

} // namespace qf::mci
