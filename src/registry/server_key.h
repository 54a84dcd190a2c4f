#ifndef SHGS_REGISTRY_SERVER_KEY_H_
#define SHGS_REGISTRY_SERVER_KEY_H_

namespace shgs {

// The server's registry key below HKEY_LOCAL_MACHINE, where its installer
// keeps the server's settings and one subkey per game.
constexpr char kServerKeyPath[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

}  // namespace shgs

#endif  // SHGS_REGISTRY_SERVER_KEY_H_
