#include "world/Camera.h"

#include <cmath>

#include "math/Constants.h"
#include "math/PortableMath.h"

namespace {
// The pitch factor scales only the x component: movement vectors stay
// horizontal, and their direction depends on the pitch as well as the yaw.
Vec3 horizontalDirection(double yawRadians, double pitchCosine) {
    return normalized(Vec3(portableSin(yawRadians) * pitchCosine, 0.0, portableCos(yawRadians)));
}
}  // namespace

void Camera::updateVectors() {
    const double p = pitch * kDegreesToRadians;
    const double c = portableCos(p);
    forward = horizontalDirection(yaw * kDegreesToRadians, c);
    right = horizontalDirection((static_cast<double>(yaw) - 90.0) * kDegreesToRadians, c);
}

void placeCameraAtStart(Camera& cam) {
    cam.position = cam.position + Vec3(0.0, 7.0, 15.0);
    cam.position = cam.position + (-1.0) * cam.forward;
    cam.yaw += 180;
    cam.updateVectors();
}
