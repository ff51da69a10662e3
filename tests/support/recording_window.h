#pragma once

#include "common/window_text.h"

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace stylorex {

// The main window's caption and status panels, recording what the program writes into them.
class RecordingWindow : public WindowText {
  public:
    QString caption() const override { return caption_; }
    void setCaption(const QString& caption) override {
        caption_ = caption;
        captions.push_back(caption);
        if (onWrite) {
            onWrite("caption " + caption.toStdString());
        }
    }
    void setStatusPanel(int panel, const QString& text) override {
        panels[panel] = text;
        statuses.emplace_back(panel, text);
        if (onWrite) {
            onWrite("status" + std::to_string(panel) + " " + text.toStdString());
        }
    }

    void setStatusToolTip(int panel, const QString& text) override { toolTips[panel] = text; }

    // Every caption set, in order.
    std::vector<QString> captions;
    // Every status text with its panel, in order.
    std::vector<std::pair<int, QString>> statuses;
    // The last text and tool tip of each panel.
    std::map<int, QString> panels;
    std::map<int, QString> toolTips;
    // Told of every write as one line ("caption Stylorex [処理開始]", "status2 処理開始"), for a
    // test that puts the window's texts on one timeline with what else happens.
    std::function<void(const std::string&)> onWrite;

  private:
    QString caption_ = QStringLiteral("Stylorex");
};

}  // namespace stylorex
