#include "tools/window/FrameReadback.h"

#include <GL/gl.h>

RgbFrame readBackBuffer() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    RgbFrame frame;
    frame.width = viewport[2];
    frame.height = viewport[3];
    if (frame.width <= 0 || frame.height <= 0) return frame;
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE,
                 frame.pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
    return frame;
}
