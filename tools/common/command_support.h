/* What every command's command line shares: the version it reports, the
 * library's messages said once on the right stream, and a progress line on a
 * terminal. C-callable, so that the Fortran example uses the same code. */
#ifndef QVB_COMMAND_SUPPORT_H
#define QVB_COMMAND_SUPPORT_H

#include "qvb.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prints "<command> <version>" on standard output. */
void qvb_tool_print_version(const char *command);

/* The exit status of a usage error, the same for every command. */
#define QVB_TOOL_USAGE_ERROR 2

/* Says what is wrong with a command line the way every command does, on
 * standard error: "<command>: <problem>", the one usage line, and
 * "Try '<command> --help' for more information." Returns QVB_TOOL_USAGE_ERROR. */
int qvb_tool_usage_error(const char *command, const char *usageLine, const char *problem);

/* Routes the library's messages for a command: errors and warnings go to
 * standard error as "<command>: ..." lines, information to standard output.
 * Call once, before the first body is opened. */
void qvb_tool_route_messages(const char *command);

/* Opens a body like qvb_tool_open_body; when it cannot be opened, says so in
 * one line on standard error that also carries the library's reasons
 * ("<command>: cannot open <what> <name>: <reasons>"). */
QVB_Handle qvb_tool_open_reported(const char *what, const char *specification);

/* A progress line for long work, on standard error and only when that is a
 * terminal (and quiet is 0): "<command>: <phase> <percent>%" rewritten in
 * place, ended with a newline by qvb_tool_progress_end. Start installs
 * qvb_tool_progress as the library's progress handler; end removes it. */
void qvb_tool_progress_start(int quiet);
/* 1 when standard output is a terminal, which a progress line would share. */
int qvb_tool_output_is_terminal(void);
void qvb_tool_progress(const char *phase, double fraction);
void qvb_tool_progress_end(void);

#ifdef __cplusplus
}
#endif

#endif
