#include "recorder/SaveWindow.h"

#include "platform/mci/MediaPath.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include <utility>

namespace qf {

namespace {

// Where the file really is, on a line of its own: "C:\" means nothing on this system.
std::string realPathLine(const std::string& mediaPath) {
    const auto path = mci::localPath(mediaPath);
    std::string line;
    if (path) {
        line.append("\n").append(path->string());
    }
    return line;
}

} // namespace

SaveWindow::SaveWindow(std::string appFolder, mci::MediaCommandSender& media, MessageBox* messages)
    : ToolWindow(std::move(appFolder), QStringLiteral("Save"), 3855, 1785), media_(media),
      ownMessages_(this), messages_(messages != nullptr ? *messages : ownMessages_) {
    setObjectName(QStringLiteral("Form10"));
    // Two lines of today's desktop font are taller than the box was first drawn; it reaches
    // down to just above the name box.
    instruction_ = addLabel(
        "Label1",
        QStringLiteral("Type a name for your sound. It will be saved in the root of your C drive"),
        twips(240, 240, 3375, 465));
    instruction_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("Text1"));
    name_->setGeometry(twips(240, 720, 3375, 375));
    name_->setAccessibleName(QStringLiteral("File name"));
    // The instruction labels the box for a screen reader too.
    instruction_->setBuddy(name_);

    save_ = new QPushButton(QStringLiteral("Save"), this);
    save_->setObjectName(QStringLiteral("Command1"));
    save_->setGeometry(twips(240, 1200, 3375, 375));
    // Enter in the name box must not save a half-typed name.
    save_->setAutoDefault(false);
    save_->setDefault(false);

    setTabOrder(name_, save_);
    name_->setFocus();
    connect(save_, &QPushButton::clicked, this, &SaveWindow::save);
    // Escape leaves without saving, as the close box does.
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
}

void SaveWindow::save() {
    // Nothing typed would make a hidden ".wav" nobody finds again; it is refused like any name
    // the device cannot use, and the window stays for a real one.
    if (name_->text().trimmed().isEmpty()) {
        messages_.show("File Not Saved: no name was given.\nType a name for your sound.");
        name_->setFocus();
        return;
    }
    // The name goes in exactly as typed: blanks, dots and separators are the user's business.
    const std::string name = name_->text().toStdString();
    const std::string mediaPath = "c:\\" + name + ".wav";
    const std::string shownPath = "C:\\" + name + ".wav";
    const std::string command = "save capture " + mediaPath;
    const unsigned code = media_.send(command.c_str(), nullptr, 0);
    if (code != 0) {
        messages_.show("File Not Saved: " + shownPath + realPathLine(mediaPath) + "\n" +
                       media_.errorText(code));
        // The name stays, so the user can correct it and try again.
        name_->setFocus();
        return;
    }
    messages_.show("File Saved: " + shownPath + realPathLine(mediaPath));
    close();
}

} // namespace qf
