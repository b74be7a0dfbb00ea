#pragma once

#include <cstdint>

// A directed spring: it pushes or pulls the particle whose list it is in
// (its `from`) only, towards or away from particle number `to`.
struct Spring {
    std::int32_t to = 0;
    float restLength = 0.0f;
    float stiffness = 0.0f;
};
