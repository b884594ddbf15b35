/* A library that calls itself a storage backend but cannot fill a table:
 * it has the message entry point and nothing else. */
void SetMessageHandlers(void *handlers) { (void)handlers; }
