#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root passes over file permissions; while this lives, the process meets them as a buyer's
// account does: a file of mode 0444 cannot be written, and with `reading` one of mode 0000 not
// read either. Without `reading`, reading stays as it was, so folders the engine has yet to open
// stay usable. For anyone else it changes nothing.
class WithoutPermissionOverride {
public:
    explicit WithoutPermissionOverride(bool reading = false) {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0) return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        if (reading) reduced[0].effective &= ~(1u << CAP_DAC_READ_SEARCH);
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (m_dropped) ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};
