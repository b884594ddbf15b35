/* The commands' -j N: how many threads the library may use for this run. */
#ifndef QVB_THREAD_SWITCH_H
#define QVB_THREAD_SWITCH_H

#ifdef __cplusplus
extern "C" {
#endif

/* Removes every "-j N" and "-jN" from argv (argc shrinks to match) and sets
 * QVB_THREADS=N for the library, so that the remaining arguments reach the
 * converter's or the comparison's own parsing unchanged. Returns 0, after
 * printing why on standard error, when N is not a whole number from 1 up. */
int qvb_tool_take_thread_switch(const char *command, int *argc, char **argv);

#ifdef __cplusplus
}
#endif

#endif
