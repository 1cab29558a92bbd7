// The program version, from the build (project(VERSION) in CMakeLists.txt).
#pragma once

#ifndef PICKMILL_VERSION
#error "PICKMILL_VERSION comes from the build: link pm_config"
#endif

namespace pm {

// "3.03": the version both programs show and the login announces.
inline constexpr const char* kVersion = PICKMILL_VERSION;

}  // namespace pm
