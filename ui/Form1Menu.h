#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace qf {

// The main window's menu bar: "Menu" with the configuration commands and Exit, "Help" with the
// help document, Contact Us and About.
class Form1Menu {
public:
    explicit Form1Menu(QMenuBar* bar);

    QMenu* m;
    QAction* load;
    QAction* save;
    QAction* sep;
    QAction* exit;
    QMenu* help;
    QAction* help2;
    QAction* jhg;
    QAction* sep2;
    QAction* about;
};

} // namespace qf
