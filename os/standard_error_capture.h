#pragma once

#include <QString>

namespace stylorex {

// While one lives, what this process writes to its standard error goes into a private file
// instead of the terminal. Image libraries print their complaints there directly ("libpng
// error: ..."), past any handler of ours; a decode holds one so that the complaint becomes the
// reason the user reads. Output of other threads meanwhile is caught as well: hold it briefly.
// Without a private file (no descriptors left) standard error stays as it was.
class StandardErrorCapture {
  public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    // What was written since the capture began, decoded as the locale's text.
    QString text() const;

  private:
    int savedDescriptor_ = -1;
    int captureDescriptor_ = -1;
};

}  // namespace stylorex
