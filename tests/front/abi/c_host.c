/* A C host of the library: the public header must compile as strict C99 and
 * the exports must link and run without any C++ around them. */
#include <stdio.h>
#include <string.h>

#include "qvb.h"

static int errorsSeen = 0;
static void countErrors(const char *message, int severity) {
  (void)message;
  errorsSeen += severity == 0;
}

int main(void) {
  char file[1024], body[256];
  int index = 0, ok = 1;
  s_FLEX_INTERFACE table;

  ok &= sizeof table == QVB_SLOT_COUNT * sizeof(void *);
  ok &= QVB_BodyCount("part.qvb") == 1 && QVB_BodyCount("part.txt") == -1;
  QVB_ParseFileName("a.qvb::12", file, &index);
  ok &= strcmp(file, "a.qvb") == 0 && index == 12;
  QVB_ParseDBFileName("d.master", file, body);
  ok &= strcmp(body, "*") == 0;
  QVB_SetMsgHandler(countErrors);
  ok &= QVB_IsValid(NULL) == 0 && QVB_NodeCount(&table) == 0 && errorsSeen == 1;
  QVB_SetMsgHandler(NULL);
  QVB_Terminate();

  printf(ok ? "1 passed, 0 failed\n" : "0 passed, 1 failed\n");
  return ok ? 0 : 1;
}
