#include "driver/run.h"
#include "platform/platform.h"

int main() { return shgs::run(shgs::hostPlatform()); }
