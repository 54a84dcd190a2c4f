#include <memory>

#include "driver/run.h"
#include "platform/platform.h"

int main() {
  const std::unique_ptr<shgs::Platform> platform = shgs::makeHostPlatform();
  return shgs::run(*platform);
}
