#include "platform/wine_registry.h"

// Placeholder: the listing writer is being written.
namespace shgs {

void writeRegistryListing(const std::string&, const std::string&,
                          std::ostream&) {}

}  // namespace shgs
