#include "about/AboutDialogModel.h"

#include "about/AboutLinks.h"
#include "hw/BrandModelName.h"
#include "hw/ModelNumber.h"
#include "hw/ProcessorSupport.h"
#include "platform/Desktop.h"
#include "platform/TextFormat.h"

namespace korvath {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// The model number is cut from the processor's brand string and may carry
// spaces or punctuation such as '&' or '#' that would break the query.
std::string EncodeQueryValue(std::string_view value) {
  std::string encoded;
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte)) encoded += c;
    else encoded += Format("%%%02X", byte);
  }
  return encoded;
}

}  // namespace

std::string SpecFinderAddress(std::string_view modelNumber) {
  return std::string(kSpecFinderSite) + kSpecFinderQuery + EncodeQueryValue(modelNumber);
}

void AboutDialogModel::OpenHomePage() { desktop_.ShellOpen(kHomePageAddress); }

void AboutDialogModel::OpenSpecFinder() {
  BrandText modelNumber;
  const BrandText brand = ParseModelNumber(processor_, modelNumber);
  if (IsNamedByBrand(modelNumber, brand, ReadSignature(processor_))) modelNumber = ModelNameFromBrand(brand);
  desktop_.ShellOpen(SpecFinderAddress(ToUtf8(modelNumber)));
}

}  // namespace korvath
