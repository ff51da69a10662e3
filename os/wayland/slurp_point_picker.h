#pragma once

#include "os/point_picker.h"

#include <memory>

class QProcess;

namespace stylorex {

// The point pick of wlroots compositors: `slurp -p` lays a layer-shell overlay over the outputs
// and prints the point the user clicks, in the desktop coordinates the virtual pointer moves in;
// Esc in the overlay cancels. slurp runs as a child process, so the window goes on while the
// user chooses.
class SlurpPointPicker : public PointPicker {
  public:
    SlurpPointPicker();
    // Ends an open pick without an answer: its overlay would otherwise stay over the screen.
    ~SlurpPointPicker() override;
    SlurpPointPicker(const SlurpPointPicker&) = delete;
    SlurpPointPicker& operator=(const SlurpPointPicker&) = delete;

    bool pick(Done done) override;

  private:
    void finish(const Result& result);

    std::unique_ptr<QProcess> process_;
    Done done_;
};

}  // namespace stylorex
