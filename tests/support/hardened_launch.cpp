#include "support/hardened_launch.h"

#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QFile>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#ifndef PR_SET_MDWE
#define PR_SET_MDWE 65
#define PR_MDWE_REFUSE_EXEC_GAIN 1
#endif

namespace tallyport::test {
namespace {

#if defined(__x86_64__)
constexpr uint32_t kNativeArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kNativeArch = AUDIT_ARCH_AARCH64;
#else
#error "the test's seccomp filter knows x86-64 and arm64 only"
#endif

// Of ~@privileged @resources: what a program could call by mistake or through a library.
const long kDenied[] = {
#ifdef SYS_chown
    SYS_chown,
    SYS_lchown,
#endif
    SYS_fchown,
    SYS_fchownat,
    SYS_setuid,
    SYS_setgid,
    SYS_setreuid,
    SYS_setregid,
    SYS_setresuid,
    SYS_setresgid,
    SYS_setgroups,
    SYS_setfsuid,
    SYS_setfsgid,
    SYS_capset,
    SYS_chroot,
    SYS_pivot_root,
    SYS_mount,
    SYS_umount2,
    SYS_swapon,
    SYS_swapoff,
    SYS_sethostname,
    SYS_setdomainname,
    SYS_acct,
    SYS_bpf,
    SYS_open_by_handle_at,
    SYS_settimeofday,
    SYS_clock_settime,
    SYS_clock_adjtime,
    SYS_adjtimex,
    SYS_reboot,
    // setpriority is allowed again by the unit: the web thread's nice.
    SYS_setrlimit,
    SYS_sched_setaffinity,
    SYS_sched_setattr,
    SYS_sched_setparam,
    SYS_sched_setscheduler,
    SYS_ioprio_set,
    SYS_mbind,
    SYS_set_mempolicy,
    SYS_migrate_pages,
    SYS_move_pages,
};

constexpr uint32_t kAllow = SECCOMP_RET_ALLOW;
constexpr uint32_t kKill = SECCOMP_RET_KILL_PROCESS;
constexpr uint32_t failWith(int error) {
    return SECCOMP_RET_ERRNO | uint32_t(error);
}

// The low 32 bits of argument i (the machine is little-endian).
constexpr uint32_t argument(int i) {
    return uint32_t(offsetof(seccomp_data, args) + 8 * size_t(i));
}

struct Filter {
    std::vector<sock_filter> code;

    void load(uint32_t offset) { code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset)); }
    void ret(uint32_t action) { code.push_back(BPF_STMT(BPF_RET | BPF_K, action)); }
    void jumpIf(uint32_t value, uint8_t ifTrue, uint8_t ifFalse) {
        code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, value, ifTrue, ifFalse));
    }
    // With the call's number loaded: when it is `nr`, `block` decides (it ends in a return);
    // else the number stays loaded for the next rule.
    void onCall(long nr, const Filter& block) {
        jumpIf(uint32_t(nr), 0, uint8_t(block.code.size()));
        code.insert(code.end(), block.code.begin(), block.code.end());
    }
};

// Argument `arg` with any of `bits` set fails with EPERM; `all`: only with every one of them.
Filter refuseBits(int arg, uint32_t bits, bool all) {
    Filter b;
    b.load(argument(arg));
    b.code.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, bits));
    if (all)
        b.jumpIf(bits, 0, 1);
    else
        b.code.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, bits, 0, 1));
    b.ret(failWith(EPERM));
    b.ret(kAllow);
    return b;
}

Filter addressFamilies() {
    Filter b;
    b.load(argument(0));
    const uint32_t allowed[] = {AF_UNIX, AF_INET, AF_INET6, AF_NETLINK};
    for (uint8_t i = 0; i < 4; ++i) b.jumpIf(allowed[i], uint8_t(4 - i), 0);
    b.ret(failWith(EAFNOSUPPORT));
    b.ret(kAllow);
    return b;
}

std::vector<sock_filter> serviceFilter() {
    Filter f;
    f.load(offsetof(seccomp_data, arch));
    f.jumpIf(kNativeArch, 1, 0);
    f.ret(kKill);
    f.load(offsetof(seccomp_data, nr));
#if defined(__x86_64__)
    f.code.push_back(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, __X32_SYSCALL_BIT, 0, 1));
    f.ret(kKill);
#endif
    for (long nr : kDenied) {
        f.jumpIf(uint32_t(nr), 0, 1);
        f.ret(failWith(EPERM));
    }
    f.onCall(SYS_mmap, refuseBits(2, PROT_WRITE | PROT_EXEC, true));
    f.onCall(SYS_mprotect, refuseBits(2, PROT_EXEC, false));
    f.onCall(SYS_pkey_mprotect, refuseBits(2, PROT_EXEC, false));
    f.onCall(SYS_shmat, refuseBits(2, SHM_EXEC, false));
    f.onCall(SYS_socket, addressFamilies());
    f.ret(kAllow);
    return f.code;
}

// In the child between fork and exec: system calls only.
[[noreturn]] void refuse(const char* what) {
    (void)!::write(2, what, ::strlen(what));
    (void)!::write(2, "\n", 1);
    ::_exit(127);
}

}  // namespace

void harden(QProcess& p, const Hardening& h) {
    auto code = std::make_shared<std::vector<sock_filter>>(serviceFilter());
    p.setChildProcessModifier([code, h] {
        ::umask(h.umask);
        const rlimit memory{h.memoryBytes, h.memoryBytes};
        if (::setrlimit(RLIMIT_DATA, &memory) != 0) refuse("hardening: setrlimit failed");
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) refuse("hardening: no_new_privs failed");
        // Kernels before 6.3 lack it; the filter below holds the same line.
        if (::prctl(PR_SET_MDWE, PR_MDWE_REFUSE_EXEC_GAIN, 0, 0, 0) != 0 && errno != EINVAL)
            refuse("hardening: PR_SET_MDWE failed");
        sock_fprog prog{static_cast<unsigned short>(code->size()), code->data()};
        if (::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &prog) != 0)
            refuse("hardening: the seccomp filter was refused");
    });
}

QString processStatus(qint64 pid, const char* field) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name)) return QString::fromLatin1(line.mid(name.size()).trimmed());
    return {};
}

}  // namespace tallyport::test
