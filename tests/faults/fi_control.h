/* The block of shared memory through which the fault sweep steers its file
 * shim (fi_shim.c) in every process of one export: the host program and the
 * programs it starts map the same file (named by KRV_FI_CONTROL) and count
 * their file-system calls on one counter. */
#ifndef KRV_FI_CONTROL_H
#define KRV_FI_CONTROL_H

#include <stdint.h>

#define KRV_FI_MAGIC 0x4b524649u /* "KRFI" */

enum krv_fi_action {
    KRV_FI_COUNT = 0, /* only count (and log) the calls */
    KRV_FI_FAIL = 1,  /* the target-th call fails with `error` */
    KRV_FI_KILL = 2,  /* the process making the target-th call is killed */
};

struct krv_fi_control {
    uint32_t magic;
    int32_t armed;  /* calls count only while non-zero (set by the host program) */
    int64_t count;  /* calls counted so far, in every process */
    int64_t target; /* the call to act on, from 1; 0 = none */
    int32_t action; /* enum krv_fi_action */
    int32_t error;  /* errno of an injected failure */
    int32_t fired;  /* set once the target call was met */
    int32_t fired_pid;
    char fired_op[16];    /* the call that was made to fail */
    char fired_path[256]; /* the file it concerned */
};

#endif
