#pragma once

#include <cstdio>
#include <filesystem>
#include <vector>

namespace qf::mci {

// Gives back what a recorder that was killed or crashed left behind. Each scratch file of a
// process that no longer runs becomes a WAV file, named after the time it was last written,
// in the recovered folder, and the scratch file goes; a save's temporary that such a process
// left is removed. Files of processes still running are left alone. Made on the program's
// thread, where the environment is read; run() may then go on any thread.
class TakeRecovery {
public:
    TakeRecovery(std::filesystem::path scratchFolder, std::filesystem::path recoveredFolder,
                 std::vector<std::filesystem::path> saveFolders);
    // The user's cache folder for scratch files, the recovered folder, and for saves' temporaries
    // the home folder (where the recorder saves) and the recovered folder.
    static TakeRecovery forThisUser();
    // $XDG_DATA_HOME/quietfield/recovered, else ~/.local/share/quietfield/recovered; empty when
    // neither can be told.
    static std::filesystem::path defaultFolder();

    // Says on `report` where each take went, or why it stays where it is. Cheap when there is
    // nothing to do: one look into each folder.
    void run(std::FILE* report) const;

private:
    void recover(const std::filesystem::path& leftover, std::FILE* report) const;

    std::filesystem::path scratchFolder_;
    std::filesystem::path recoveredFolder_;
    std::vector<std::filesystem::path> saveFolders_;
};

} // namespace qf::mci
