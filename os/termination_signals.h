#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace stylorex {

// SIGINT, SIGTERM and SIGHUP reach the event loop through a self-pipe: the signal handler only
// writes one byte, and `onSignal` runs later on the user-interface thread, where closing the
// window can stop a run, release the button and save the settings like the close box does.
// One instance per program.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or the handlers could not be set up; the default handlers stay then.
    bool installed() const { return installed_; }

  private:
    void readSignal();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

}  // namespace stylorex
