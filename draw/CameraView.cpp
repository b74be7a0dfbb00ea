#include "draw/CameraView.h"

#include "draw/Gl.h"

#include "world/Camera.h"

// The orientation comes from the two rotations alone; the look-at only moves
// the eye to its position and always looks along +z from there.
void applyCameraView(const Camera& camera) {
    glRotatef(camera.pitch, -1.0f, 0.0f, 0.0f);
    glRotatef(camera.yaw, 0.0f, -1.0f, 0.0f);
    gl::lookAlongPlusZ(camera.position.x, camera.position.y, camera.position.z);
}
