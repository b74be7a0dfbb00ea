#pragma once

struct Particle;

// A directed spring: it pushes or pulls its `from` particle only.
struct Spring {
    Particle* from = nullptr;
    Particle* to = nullptr;
    float restLength = 0.0f;
    float stiffness = 0.0f;
};
