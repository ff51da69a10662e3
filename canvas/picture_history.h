#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace stylorex {

// What undo and redo bring back of the canvas: the background picture and the persistent image,
// whose size is the canvas size. Persistent images are in the canvas's 32-bit RGB format.
struct PictureState {
    QImage background;
    QImage persistent;
};

// The undo and redo steps of the canvas. A step is whatever changed in the persistent image
// between two calls of record(); a change of the background alone (a commit, which makes the
// persistent image the background) changes nothing on view and is no step.
//
// Memory: a step keeps only the rectangle in which the persistent image on its other side
// differs, either from the state next to it or from that side's background alone, whichever
// rectangle is smaller; a step that replaced the background also holds the old background,
// shared with every other step that holds the same one. A painter step on a 600 × 480 picture
// costs a few kB; the worst case, replacing the whole picture, costs one old background and one
// whole persistent image (2.3 MB). The history holds at most kMaxSteps steps and kMaxBytes
// bytes and drops its oldest steps to stay within both, so at 600 × 480 at least 55 steps of
// any one kind fit (loads of new pictures, or painter steps that each change every pixel).
class PictureHistory {
  public:
    static constexpr int kMaxSteps = 100;
    static constexpr qint64 kMaxBytes = 64LL * 1024 * 1024;

    explicit PictureHistory(qint64 maxBytes = kMaxBytes, int maxSteps = kMaxSteps);

    // Forgets every step; the next one starts from `current`.
    void reset(const PictureState& current);
    // When the persistent image of `current` differs from the state the last step ended in,
    // that difference becomes one undo step and the redo steps are forgotten; true then. The
    // first call after construction only sets where the next step starts.
    bool record(const PictureState& current);
    // Records `current` as record() does, then gives the state before the last step and keeps
    // `current` for redo; nothing when there is no step to undo.
    std::optional<PictureState> undo(const PictureState& current);
    // Gives the state the last undone step led to; nothing when there is none, also when
    // `current` holds a change not recorded yet (recording it forgets the redo steps).
    std::optional<PictureState> redo(const PictureState& current);

    int undoSteps() const { return static_cast<int>(undo_.size()); }
    int redoSteps() const { return static_cast<int>(redo_.size()); }
    // The bytes the steps hold beyond what the canvas holds itself: the rectangles, and the
    // backgrounds the last state does not share.
    qint64 bytes() const;

  private:
    // How to rebuild the state on the other side of a step from the state on this side: the
    // persistent image is `patch` pasted at `rect` into either this side's persistent image or,
    // when `fromBackground`, the other side's background composed at `size`.
    struct Side {
        QImage background;
        QSize size;
        bool fromBackground = false;
        QRect rect;
        QImage patch;
    };

    static Side describe(const PictureState& state, const PictureState& from);
    static PictureState rebuild(const Side& side, const PictureState& from);
    void trim();

    qint64 maxBytes_;
    int maxSteps_;
    PictureState last_;
    // Oldest first; the back of undo_ is the next undo, the back of redo_ the next redo.
    std::vector<Side> undo_;
    std::vector<Side> redo_;
};

}  // namespace stylorex
