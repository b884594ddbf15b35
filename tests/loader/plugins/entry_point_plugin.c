/* A tiny plug-in for the loader tests. Its entry points append one line each
 * to the file named by QVBTEST_ENTRY_LOG, so a test can count how often the
 * loader initialised and terminated it. Built three ways:
 *   default                   "_initialize" / "_terminate"
 *   -DBASE_NAME_ENTRY_POINTS  "<PLUGIN_NAME>_initialize" / "..._terminate"
 *   -DNO_ENTRY_POINTS         none at all                                   */
#include <stdio.h>
#include <stdlib.h>

#define JOIN2(a, b) a##b
#define JOIN(a, b) JOIN2(a, b)
#define TEXT2(a) #a
#define TEXT(a) TEXT2(a)

#if !defined(NO_ENTRY_POINTS)
static void note(const char *event) {
  const char *logName = getenv("QVBTEST_ENTRY_LOG");
  FILE *log = logName != NULL ? fopen(logName, "a") : NULL;
  if (log == NULL) return;
  fprintf(log, "%s %s\n", TEXT(PLUGIN_NAME), event);
  fclose(log);
}
#endif

#if defined(BASE_NAME_ENTRY_POINTS)
void JOIN(PLUGIN_NAME, _initialize)(void) { note("initialize"); }
void JOIN(PLUGIN_NAME, _terminate)(void) { note("terminate"); }
#elif !defined(NO_ENTRY_POINTS)
/* Reserved-looking names, but they are what the loader looks for. */
void _initialize(void) { note("initialize"); }
void _terminate(void) { note("terminate"); }
#endif

int pluginAnswer(void) { return 42; }
