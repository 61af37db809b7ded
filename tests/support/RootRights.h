#pragma once

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plumark::test {

// Makes this process and every child it starts obey file permission bits even
// when running as root, by giving up the two rights that let root ignore
// them, for good. Each test runs in its own process, so nothing else is
// affected. True when permission bits now hold.
inline bool obeyPermissionBits()
{
    if (::geteuid() != 0)
        return true;
    const int rights[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH};
    for (int right : rights)
        if (::prctl(PR_CAPBSET_DROP, right, 0, 0, 0) != 0)
            return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int right : rights) {
        const __u32 bit = 1u << (right % 32);
        data[right / 32].effective &= ~bit;
        data[right / 32].permitted &= ~bit;
        data[right / 32].inheritable &= ~bit;
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}

// Mounts a small tmpfs at folder, seen only by this process and its
// children and gone when they end. False where the machine refuses mounts.
inline bool mountPrivateTmpfs(const char* folder, const char* options)
{
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, options) == 0;
}

// Undoes mountPrivateTmpfs, so that the folder can be removed; nothing
// happens when nothing is mounted there.
inline void unmountPrivateTmpfs(const char* folder)
{
    ::umount2(folder, MNT_DETACH);
}

} // namespace plumark::test
