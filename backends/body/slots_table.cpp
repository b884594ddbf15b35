// The whole body-level table, plus creation of an empty body, shutdown,
// memory release, and the slots this body model does not serve.
#include "slot_support.h"

namespace qvb::body {
namespace {

// The two integers are size hints (expected node and mode counts); an empty
// body grows as it is filled, so only the node arrays are reserved.
QVB_Handle Create(int nodes, int) {
  return guarded(reportError, "QVB_Create", static_cast<QVB_Handle>(nullptr), [&] {
    auto body = std::make_unique<Body>();
    if (nodes > 0 && nodes <= 10000000) {
      body->coordinates.reserve(3 * static_cast<size_t>(nodes));
      body->nodes.mutableIds().reserve(nodes);
    }
    return registerBody(std::move(body));
  });
}

int Terminate(void) {
  destroyAllBodies();
  return 1;
}

int FreeMemory(void *memory) {
  std::free(memory);
  return 1;
}

// ---- not modelled ---------------------------------------------------------------

int unsupportedOnBody(QVB_Handle h, const char *operation) {
  if (findBody(h, operation) != nullptr) notSupported(operation);
  return 0;
}

int AnsysAddGenMass(QVB_Handle h, int, int) { return unsupportedOnBody(h, "QVB_AnsysAddGenMass"); }
int PermuteQVB(QVB_Handle h, void *, int, double, void *, void *) { return unsupportedOnBody(h, "QVB_PermuteQVB"); }
int PreprocessBAPQVB(QVB_Handle h) { return unsupportedOnBody(h, "QVB_PreprocessBAPQVB"); }
int NlfeDampFactor(QVB_Handle h) { return unsupportedOnBody(h, "QVB_NlfeDampFactor"); }
int NlfeBContactID(QVB_Handle h) { return unsupportedOnBody(h, "QVB_NlfeBContactID"); }
int NlfeStatistics(QVB_Handle h) { return unsupportedOnBody(h, "QVB_NlfeStatistics"); }
int NlfeMPCID(QVB_Handle h) { return unsupportedOnBody(h, "QVB_NlfeMPCID"); }
int NlfeUset(QVB_Handle h, void *) { return unsupportedOnBody(h, "QVB_NlfeUset"); }
int NlfeEqexin(QVB_Handle h, void *) { return unsupportedOnBody(h, "QVB_NlfeEqexin"); }
int NlfeRbe3(QVB_Handle h, void *) { return unsupportedOnBody(h, "QVB_NlfeRbe3"); }

// Storage slots that a plug-in replaces with its own.
QVB_Handle NoFileBody(const char *) {
  notSupported("Reading a body file");
  return nullptr;
}
QVB_Handle NoIndexedBody(const char *, int) {
  notSupported("Reading a body by index");
  return nullptr;
}
int NoWrite(QVB_Handle h, const char *) { return unsupportedOnBody(h, "QVB_write_QVB"); }
int NoDatabaseWrite(QVB_Handle h, const char *, const char *) { return unsupportedOnBody(h, "QVB_write_QVB_DB"); }
int NoBodyCount(const char *) {
  notSupported("QVB_BodyCount");
  return -1;
}
int NoBodyInfo(const char *, int, void *) {
  notSupported("QVB_GetBodyInfo");
  return 0;
}

void Reserved(void) { reportError("a reserved slot of the flexible body interface was called"); }

}  // namespace

void fillBodySlots(s_FLEX_INTERFACE &t) {
  t.QVB_Create = Create;
  t.QVB_FindQVB = NoFileBody;
  t.QVB_CreateFromFileByIndex = NoFileBody;
  t.QVB_CreateFromFileByIndex_SurfaceMesh = NoFileBody;
  t.QVB_write_QVB = NoWrite;
  t.QVB_write_QVB_DB = NoDatabaseWrite;
  t.QVB_BodyCount = NoBodyCount;
  t.QVB_GetBodyInfo = NoBodyInfo;
  t.QVB_CreateFromFileByIndex_DB = NoIndexedBody;
  t.QVB_CreateFromFileByIndex_SurfaceMesh_DB = NoIndexedBody;
  t.QVB_Terminate = Terminate;
  t.QVB_FreeMemory = FreeMemory;
  t.QVB_AnsysAddGenMass = AnsysAddGenMass;
  t.QVB_PermuteQVB = PermuteQVB;
  t.QVB_PreprocessBAPQVB = PreprocessBAPQVB;
  t.QVB_NlfeDampFactor = NlfeDampFactor;
  t.QVB_NlfeBContactID = NlfeBContactID;
  t.QVB_NlfeStatistics = NlfeStatistics;
  t.QVB_NlfeMPCID = NlfeMPCID;
  t.QVB_NlfeUset = NlfeUset;
  t.QVB_NlfeEqexin = NlfeEqexin;
  t.QVB_NlfeRbe3 = NlfeRbe3;
  t.reserved_36 = Reserved;
  t.reserved_45 = Reserved;
  t.reserved_109 = Reserved;
  t.reserved_110 = Reserved;
  t.reserved_111 = Reserved;
  t.reserved_127 = Reserved;
  fillNodeSlots(t);
  fillGeometrySlots(t);
  fillModeSlots(t);
  fillMatrixSlots(t);
  fillLoadSlots(t);
  fillOperatorSlots(t);
}

}  // namespace qvb::body
