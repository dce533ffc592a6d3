#pragma once

#include <QObject>

class QSocketNotifier;

namespace qf {

// Turns SIGTERM, SIGHUP and SIGINT (log-off, shutdown, Ctrl+C) into an ordinary request to close,
// delivered on the interface thread, so the program shuts down the same way as from its close box.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void closeRequested();

private:
    static void onSignal(int number);

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qf
