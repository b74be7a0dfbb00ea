#include "draw/CameraView.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "world/Camera.h"

// The orientation comes from the two rotations alone; the look-at only moves
// the eye to its position and always looks along +z from there.
void applyCameraView(const Camera& camera) {
    glRotatef(camera.pitch, -1.0f, 0.0f, 0.0f);
    glRotatef(camera.yaw, 0.0f, -1.0f, 0.0f);
    const Vec3& eye = camera.position;
    const Vec3 centre = eye + Vec3(0.0, 0.0, 1.0);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
}
