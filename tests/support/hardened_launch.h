#pragma once

// The service unit's hardening applied to a child process by the test, in place of the service
// manager (none runs here): in the child, after fork and before exec, as the manager applies it.
//   UMask=0007                   umask(0007)
//   NoNewPrivileges=yes          PR_SET_NO_NEW_PRIVS
//   MemoryDenyWriteExecute=yes   PR_SET_MDWE (refuse gaining execute) and the manager's
//                                seccomp rules: no mmap with write and execute, no mprotect or
//                                pkey_mprotect to execute, no shmat with SHM_EXEC
//   RestrictAddressFamilies=AF_UNIX AF_INET AF_INET6 AF_NETLINK
//                                socket() of any other family fails with EAFNOSUPPORT
//   SystemCallArchitectures=native
//                                a call of another architecture (or the x32 ABI) kills
//   SystemCallFilter=~@privileged @resources, SystemCallErrorNumber=EPERM
//                                the calls of those groups that a program could plausibly make
//                                (ownership, identity, mounts, scheduling, priorities, limits)
//                                fail with EPERM; the allow-list of @system-service is not
//                                copied
//   MemoryMax=1G                 see Hardening::memoryBytes
// Not played: the namespaces (ProtectSystem, PrivateDevices, ProtectProc, ...), which need a
// mount namespace per test, and TasksMax, which needs a control group: the test reads the
// thread count instead.

#include <sys/types.h>
#include <QProcess>

namespace tallyport::test {

struct Hardening {
    mode_t umask = 0007;
    // MemoryMax= charges the resident pages (and page cache) of the unit's control group, which
    // a test cannot make here without touching the machine's own groups. RLIMIT_AS would count
    // address space only reserved (malloc arenas, thread stacks) and fail a program far below
    // the limit; RLIMIT_DATA counts private writable mappings, which every heap page lies in, so
    // an allocation MemoryMax would stop past the limit is refused here too (page cache and
    // file mappings are not counted). The test also reads the peak resident size (VmHWM).
    quint64 memoryBytes = quint64(1) << 30;
};

// The next start of `p` runs under `h`. A part that cannot be applied ends the child before
// exec with exit code 127 and a line on its standard error.
void harden(QProcess& p, const Hardening& h = {});

// A field of /proc/PID/status ("VmHWM", "Threads", "Seccomp"), its value as the file has it.
QString processStatus(qint64 pid, const char* field);

}  // namespace tallyport::test
