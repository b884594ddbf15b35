/* A backend linked with the library itself and with no entry points of its
 * own: a plain symbol lookup through it finds the library's "_terminate". */
extern void QVB_Terminate(void);
void (*const linkedWithTheLibrary)(void) = QVB_Terminate;

void PopulateInterface(void *table) { (void)table; }
void SetMessageHandlers(void *handlers) { (void)handlers; }
