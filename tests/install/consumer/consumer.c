/* Uses an installed library: file queries that need no backend, and, when the
 * storage plug-in is installed, a body written and read back through it and
 * another body opened. Nothing tells the library where the plug-in is: it
 * finds the one installed beside itself.
 * Usage: consumer [body-file-to-write [body-file-to-open]] */
#include <stdio.h>
#include <stdlib.h>

#include <qvb.h>

static int fail(const char *what) {
  fprintf(stderr, "consumer: %s\n", what);
  return 1;
}

int main(int argc, char **argv) {
  if (QVB_BodyCount("part.qvb") != 1) return fail("a body file should hold one body");
  if (QVB_BodyCount("notes.txt") != -1) return fail("a text file is no body file");
  if (argc < 2) {
    puts("consumer: linked and ran");
    return 0;
  }

  QVB_Handle body = QVB_Create(0, 0);
  if (body == NULL) return fail("cannot create a body");
  /* Two nodes and one mode: enough for the commands to convert and compare. */
  if (!QVB_SetNodeCoordinates(body, 10, 1.0, 2.0, 3.0) ||
      !QVB_SetNodeCoordinates(body, 11, 4.0, 5.0, 6.0) || !QVB_SetNodalMass(body, 10, 1.5) ||
      !QVB_SetNodalMass(body, 11, 2.5) || !QVB_SetMode(body, 1, 10, 0, 0, 1, 0, 0, 0, 0) ||
      !QVB_SetMode(body, 1, 11, 0, 0, -1, 0, 0, 0, 0) || !QVB_SetGeneralizedMass(body, 1, 1, 1.0) ||
      !QVB_SetGeneralizedStiffness(body, 1, 1, 400.0))
    return fail("cannot fill the body");
  if (!QVB_write_QVB(body, argv[1])) return fail("cannot write the body");

  QVB_Handle copy = QVB_CreateFromQVB(argv[1]);
  if (copy == NULL) return fail("cannot read the body back");
  double xyz[3] = {0, 0, 0};
  const int index = QVB_NodeIndex(copy, 11);
  QVB_NodeCoordinates(copy, index, xyz);
  if (QVB_NodeCount(copy) != 2 || xyz[0] != 4.0 || xyz[1] != 5.0 || xyz[2] != 6.0)
    return fail("the body read back differs from the body written");
  printf("consumer: wrote and read %s\n", argv[1]);

  if (argc > 2) {
    QVB_Handle opened = QVB_CreateFromQVB(argv[2]);
    if (opened == NULL) return fail("cannot open the body named second");
    if (QVB_NodeCount(opened) <= 0 || QVB_ModeCount(opened) <= 0) return fail("the body opened is empty");
    printf("consumer: opened %s: %d nodes, %d modes\n", argv[2], QVB_NodeCount(opened), QVB_ModeCount(opened));
  }
  QVB_Terminate();
  return 0;
}
