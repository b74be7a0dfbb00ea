#include <GL/gl.h>
#include <GL/glu.h>

#include "app/Camera.h"

// The orientation comes from the two rotations alone; the look-at only moves
// the eye to its position and always looks along +z from there.
void Camera::applyView() const {
    glRotatef(pitch, -1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, -1.0f, 0.0f);
    const Vec3 centre = position + Vec3(0.0, 0.0, 1.0);
    gluLookAt(position.x, position.y, position.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
}
