// Scheme file bytes through the parser, the readers, the entry table and
// the writers, for an unprotected scheme.
#include "SchemeProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tav::SchemeDocument document;
  tav::fuzz::CheckSchemeBytes(tav::fuzz::Bytes(data, size), {}, document);
  return 0;
}
