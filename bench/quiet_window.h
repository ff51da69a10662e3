#pragma once

#include "common/window_text.h"

#include <QString>

namespace stylorex {

// The window a benchmarked run reports to: it keeps the caption and drops the status panels,
// so that no widget work is measured with the run.
class QuietWindow : public WindowText {
  public:
    QString caption() const override { return caption_; }
    void setCaption(const QString& caption) override { caption_ = caption; }
    void setStatusPanel(int, const QString&) override {}

  private:
    QString caption_ = QStringLiteral("Stylorex");
};

}  // namespace stylorex
