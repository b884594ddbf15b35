// The leak checker of the sanitizer build reads these before the tests run.
// The rotor-dynamics matrices a body hands out are never released by the
// comparison, because a backend may hand out its own storage there; the file
// backend hands out copies, which therefore leak by design.
extern "C" const char *__lsan_default_suppressions() { return "leak:qvbcompare::checkRotorDynamics\n"; }
