#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace stylorex::test {

// Makes the calling thread subject to file permission bits even when it runs as root, so that
// a folder made read-only with chmod refuses files as it does for every other user. The
// capabilities stay permitted and come back at the end of the scope.
class PermissionBitsApply {
  public:
    PermissionBitsApply() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        active_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~PermissionBitsApply() {
        if (active_) {
            syscall(SYS_capset, &header_, saved_);
        }
    }
    PermissionBitsApply(const PermissionBitsApply&) = delete;
    PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

    // False when the capabilities could not be lowered (then permission bits may not apply).
    bool active() const { return active_ || geteuid() != 0; }

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

}  // namespace stylorex::test
