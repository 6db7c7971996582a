#include "hw/ProcessorIdentity.h"

#include "hw/BrandModelName.h"
#include "hw/CoreSlots.h"
#include "hw/ModelDecoration.h"
#include "hw/ModelNumber.h"
#include "hw/MsrAccess.h"
#include "hw/ProcessorSupport.h"
#include "hw/TjMax.h"

namespace korvath {

void IdentifySignature(MsrAccess& access, ProcessorIdentity& identity) {
  identity.signature = ReadSignature(access.processor());
  access.cpu().signature = identity.signature;
  access.cpu().newerProcessor = IsNewerProcessor(access.processor());
  identity.signatureText = SignatureText(identity.signature);
}

void IdentifyModelAndTjMax(MsrAccess& access, ProcessorIdentity& identity) {
  BrandText model;
  identity.brandString = ParseModelNumber(access.processor(), model);
  const int tjMax = TjMaxFromModel(model, identity.signature);
  for (int& slot : identity.tjMax) slot = tjMax;
  identity.modelNumber = IsNamedByBrand(model, identity.brandString, identity.signature)
                             ? ModelNameFromBrand(identity.brandString)
                             : DecorateModelNumber(model, identity.brandString, identity.signature);
  if (IsCoreI7Signature(identity.signature)) ReadTjMaxFromProcessor(access, identity.tjMax);
  if (ReportsTjMax(identity.signature)) ReadReportedTjMax(access, identity.tjMax);
}

std::optional<FatalError> IdentifyProcessor(MsrAccess& access, ProcessorIdentity& identity) {
  IdentifySignature(access, identity);
  if (auto fatal = CheckProcessorSupport(access.processor(), identity.signature)) return fatal;
  BuildCoreSlots(access);
  IdentifyModelAndTjMax(access, identity);
  return std::nullopt;
}

}  // namespace korvath
