#pragma once

#include <QScrollBar>

namespace stylorex {

// A scroll bar whose range runs from 0 at its left (top) end to a maximum at its right
// (bottom) end, where the maximum may be negative: the viewport's width minus the picture's
// width. The signed value is then the picture's offset inside the viewport, so a picture wider
// than the viewport moves left (negative) as the thumb moves right.
// QScrollBar itself keeps minimum <= maximum, so the bar holds the range 0..|maximum| and the
// signed value is the bar's value with the maximum's sign.
class ViewportScrollBar : public QScrollBar {
    Q_OBJECT
  public:
    ViewportScrollBar(Qt::Orientation orientation, QWidget* parent);

    int signedMaximum() const { return maximum_; }
    // Keeps the signed value, moved into the new range when it lies outside; a moved value is
    // announced with signedValueChanged, as a user's scroll would be.
    void setSignedMaximum(int maximum);
    int signedValue() const;
    void setSignedValue(int value);

  signals:
    // Both while the thumb is dragged and after any other change of the value.
    void signedValueChanged(int value);

  private:
    int direction() const { return maximum_ < 0 ? -1 : 1; }
    int clampToRange(int value) const;

    int maximum_ = 0;
};

}  // namespace stylorex
