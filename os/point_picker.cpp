#include "os/point_picker.h"

namespace stylorex {

bool PointerPositionPicker::pick(Done done) {
    done(Result{pointer_.position(), {}});
    return true;
}

}  // namespace stylorex
