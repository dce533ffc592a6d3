// Feeds arbitrary bytes to the settings reader. Any file at all may be chosen in Load Config,
// so the reader must never crash, must refuse with a field and a readable reason, and whatever
// it accepts must be a mix the controls can hold that writes and reads back unchanged. The same
// bytes, taken as a file name, go to the writer's test for its own temporaries, which reads
// whatever names a folder holds.

#include "platform/files/AtomicFile.h"
#include "settings/SettingsText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using qf::settings::MixerSettings;
using qf::settings::SettingsText;

namespace {

// Long enough for any of the reader's messages; a message that grows with the input would make
// the message box unreadable.
constexpr std::size_t kLongestReason = 100;

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto owner = qf::AtomicFile::ownerOf("settings.ini", std::string(text))) {
        require(*owner > 0);
    }
    const SettingsText::Parsed parsed = SettingsText::parse(text);
    require(parsed.stop <= size);
    if (!parsed.ok) {
        require(parsed.field >= 1 && parsed.field <= MixerSettings::kFields);
        require(!parsed.error.empty() && parsed.error.size() <= kLongestReason);
        return 0;
    }
    for (int field = 1; field <= MixerSettings::kFields; ++field) {
        require(MixerSettings::range(field).contains(parsed.settings.values[field - 1]));
    }
    const std::string line = SettingsText::format(parsed.settings);
    const SettingsText::Parsed again = SettingsText::parse(line);
    require(again.ok && again.settings == parsed.settings);
    require(SettingsText::format(again.settings) == line);
    return 0;
}
