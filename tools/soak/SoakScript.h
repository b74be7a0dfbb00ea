#pragma once

#include <cstdint>
#include <string>

// A seeded random input script in the replay format: arrows, lift and press,
// rebuilds, camera keys, display keys, mouse motion and panning, spread over
// `steps` idle calls. The same seed always gives the same script.
std::string makeSoakScript(std::uint64_t seed, long long steps);
