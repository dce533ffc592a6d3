#pragma once

#include "platform/mci/MediaCommandSender.h"
#include "platform/toolkit/QtMessageBox.h"
#include "widgets/ToolWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qf {

// Asks for a name and has the media device write the recording as a WAV file of that name in
// the user's home folder (the "C:\" of the recorder's paths). After a save it closes itself;
// a save that failed, or a name left empty, says why and leaves the window open with the name
// as typed. Escape closes it without saving.
class SaveWindow final : public ToolWindow {
    Q_OBJECT
public:
    // The media device must outlive the window. Without message boxes of its own choosing the
    // window shows the desktop's.
    SaveWindow(std::string appFolder, mci::MediaCommandSender& media,
               MessageBox* messages = nullptr);

    void save();

    QLabel* instructionLabel() const { return instruction_; }
    QLineEdit* nameBox() const { return name_; }
    QPushButton* saveButton() const { return save_; }

private:
    mci::MediaCommandSender& media_;
    QtMessageBox ownMessages_;
    MessageBox& messages_;
    QLabel* instruction_;
    QLineEdit* name_;
    QPushButton* save_;
};

} // namespace qf
