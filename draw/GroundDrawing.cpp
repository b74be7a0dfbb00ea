#include "draw/GroundDrawing.h"

#include "draw/Gl.h"

#if ORVANE_GL_DOT_PRODUCT_COMBINER
#include <GL/glext.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <GL/glx.h>
#endif
#endif

#include <algorithm>
#include <cstring>


namespace {
struct GroundFace {
    int vertexCount;  // 4 for a quad, 3 for a triangle
    Vec3 vertices[4];
    Vec3 normal;
};

// The plate and platform lie 0.01 below their contact surfaces. The ramp's
// top keeps the upward normal although it rises 1 in 3, and its two side
// triangles have normals pointing into the ramp.
const GroundFace kQuads[4] = {
    {4, {{-30, -0.01, -30}, {30, -0.01, -30}, {30, -0.01, 30}, {-30, -0.01, 30}}, {0, 1, 0}},
    {4, {{-2, 1.99, -2}, {2, 1.99, -2}, {2, 1.99, 2}, {-2, 1.99, 2}}, {0, 1, 0}},
    {4, {{-10, 0, -10}, {5, 5, -10}, {5, 5, -18}, {-10, 0, -18}}, {0, 1, 0}},
    {4, {{5, 0, -10}, {5, 0, -18}, {5, 5, -18}, {5, 5, -10}}, {1, 0, 0}},
};
const GroundFace kTriangles[2] = {
    {3, {{-10, 0, -10}, {5, 0, -10}, {5, 5, -10}, {}}, {0, 0, -1}},
    {3, {{-10, 0, -18}, {5, 0, -18}, {5, 5, -18}, {}}, {0, 0, 1}},
};

// One copy of each texture per face: the 60 x 60 plate is not tiled.
const float kFaceTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

void sendVertex(const Vec3& v) {
    glVertex3f(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

void sendNormal(const Vec3& n) {
    glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
}

void sendPlainFace(const GroundFace& face) {
    for (int i = 0; i < face.vertexCount; ++i) {
        sendNormal(face.normal);
        sendVertex(face.vertices[i]);
    }
}

#if ORVANE_GL_DOT_PRODUCT_COMBINER
// The multitexture entry points, looked up once by the ground's build and
// kept for the whole process.
PFNGLACTIVETEXTUREARBPROC glActiveTextureARBEntry = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARBEntry = nullptr;

bool extensionListed(const char* extensions, const char* name) {
    // A plain substring test, as the extension string has always been searched.
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
}

template <typename Function>
Function lookUpEntryPoint(const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<Function>(wglGetProcAddress(name));
#else
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
#endif
}

bool findMultitexture() {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensionListed(extensions, "GL_ARB_multitexture")) return false;
    if (!extensionListed(extensions, "GL_EXT_texture_env_combine")) return false;
    glActiveTextureARBEntry = lookUpEntryPoint<PFNGLACTIVETEXTUREARBPROC>("glActiveTextureARB");
    glMultiTexCoord2fARBEntry = lookUpEntryPoint<PFNGLMULTITEXCOORD2FARBPROC>("glMultiTexCoord2fARB");
    return glActiveTextureARBEntry != nullptr && glMultiTexCoord2fARBEntry != nullptr;
}

// The direction to the light, moved into the normal map's frame and packed
// into a colour. Only red gets the 0.5 offset; negative values go as they are.
Vec3 lightColour(const Ground& ground, const Vec3& vertex) {
    const Vec3 toLight = normalized(ground.lightPosition - vertex);
    const Vec3 c = ground.lightMatrix.transformPoint(toLight);
    return Vec3(0.5 * c.x + 0.5, 0.5 * c.y, 0.5 * c.z);
}

void sendBumpMappedFace(const Ground& ground, const GroundFace& face) {
    for (int i = 0; i < face.vertexCount; ++i) {
        const Vec3 colour = lightColour(ground, face.vertices[i]);
        glColor3f(static_cast<float>(colour.x), static_cast<float>(colour.y), static_cast<float>(colour.z));
        const float s = kFaceTexCoords[i][0];
        const float t = kFaceTexCoords[i][1];
        glMultiTexCoord2fARBEntry(GL_TEXTURE0_ARB, s, t);
        glMultiTexCoord2fARBEntry(GL_TEXTURE1_ARB, s, t);
        sendNormal(face.normal);
        sendVertex(face.vertices[i]);
    }
}

void setCombine(GLenum name, GLenum value) {
    glTexEnvf(GL_TEXTURE_ENV, name, static_cast<GLfloat>(value));
}

// Unit 0: the normal map dotted with the primary colour. Unit 1: that
// brightness times the rock colours.
void setUpBumpUnits(const Ground& ground) {
    glActiveTextureARBEntry(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, ground.normalMap.id);
    glEnable(GL_TEXTURE_2D);
    setCombine(GL_TEXTURE_ENV_MODE, GL_COMBINE_EXT);
    setCombine(GL_COMBINE_RGB_EXT, GL_DOT3_RGB_EXT);
    setCombine(GL_SOURCE0_RGB_EXT, GL_TEXTURE);
    setCombine(GL_OPERAND0_RGB_EXT, GL_SRC_COLOR);
    setCombine(GL_SOURCE1_RGB_EXT, GL_PRIMARY_COLOR_EXT);
    setCombine(GL_OPERAND1_RGB_EXT, GL_SRC_COLOR);

    glActiveTextureARBEntry(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, ground.rock.id);
    glEnable(GL_TEXTURE_2D);
    setCombine(GL_TEXTURE_ENV_MODE, GL_COMBINE_EXT);
    setCombine(GL_COMBINE_RGB_EXT, GL_MODULATE);
    setCombine(GL_SOURCE0_RGB_EXT, GL_PREVIOUS_EXT);
    setCombine(GL_OPERAND0_RGB_EXT, GL_SRC_COLOR);
    setCombine(GL_SOURCE1_RGB_EXT, GL_TEXTURE);
    setCombine(GL_OPERAND1_RGB_EXT, GL_SRC_COLOR);
}

void drawBumpMapped(const Ground& ground) {
    glPushAttrib(GL_TEXTURE_BIT);
    setUpBumpUnits(ground);
    glBegin(GL_QUADS);
    for (const GroundFace& face : kQuads) sendBumpMappedFace(ground, face);
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const GroundFace& face : kTriangles) sendBumpMappedFace(ground, face);
    glEnd();
    // Undoes the units' enables, bindings and environments for what follows.
    glPopAttrib();
}

#else
// One texture over each face, with the normals as the plain look has them.
void sendTexturedFace(const GroundFace& face) {
    for (int i = 0; i < face.vertexCount; ++i) {
        glTexCoord2f(kFaceTexCoords[i][0], kFaceTexCoords[i][1]);
        sendNormal(face.normal);
        sendVertex(face.vertices[i]);
    }
}

// Without the combiner the same arithmetic runs once, texel by texel: the
// dot product of the normal map with the primary colour, which the lit,
// white-ambient ground always saturates to (1, 1, 1), gives
// 2 (r + g + b) - 3 (clamped), and that brightness scales the rock.
bool bakeBumpedRock(Ground& ground) {
    const TextureImage& rock = ground.rock.image;
    const TextureImage& normals = ground.normalMap.image;
    TextureImage& look = ground.bakedLook.image;
    if (rock.width <= 0 || rock.height <= 0 || normals.width <= 0 || normals.height <= 0) return false;
    look.width = rock.width;
    look.height = rock.height;
    look.components = 3;
    look.pixels = new unsigned char[static_cast<std::size_t>(rock.width) * rock.height * 3];
    for (int y = 0; y < rock.height; ++y) {
        for (int x = 0; x < rock.width; ++x) {
            const unsigned char* n = normals.pixels + (static_cast<std::size_t>(y % normals.height) * normals.width +
                                                       x % normals.width) * normals.components;
            const unsigned char* r = rock.pixels + (static_cast<std::size_t>(y) * rock.width + x) * rock.components;
            const double brightness = std::clamp(2.0 * (n[0] + n[1] + n[2]) / 255.0 - 3.0, 0.0, 1.0);
            unsigned char* out = look.pixels + (static_cast<std::size_t>(y) * rock.width + x) * 3;
            for (int c = 0; c < 3; ++c) out[c] = static_cast<unsigned char>(r[c] * brightness + 0.5);
        }
    }
    return ground.bakedLook.upload(TextureLevels::BaseOnly);
}

void drawBumpMapped(const Ground& ground) {
    glBindTexture(GL_TEXTURE_2D, ground.bakedLook.id);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    for (const GroundFace& face : kQuads) sendTexturedFace(face);
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const GroundFace& face : kTriangles) sendTexturedFace(face);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
}
#endif

void drawPlain() {
    static const GLfloat material[4] = {0.3f, 0.1f, 1.0f, 1.0f};
    glColor3f(0.2f, 0.1f, 1.0f);
    gl::material(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    glBegin(GL_QUADS);
    for (const GroundFace& face : kQuads) sendPlainFace(face);
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const GroundFace& face : kTriangles) sendPlainFace(face);
    glEnd();
    glColor3f(0.8f, 0.8f, 0.8f);
}
}  // namespace

namespace {
std::string rockPath(const std::string& folder) { return folder + "/rock_texture.tga"; }
std::string normalsPath(const std::string& folder) { return folder + "/rock_normal.tga"; }
}  // namespace

bool Ground::readPictures(const std::string& folder) {
    return rock.read(rockPath(folder).c_str()) && normalMap.read(normalsPath(folder).c_str());
}

bool Ground::build(const Vec3& light, const std::string& folder) {
#if ORVANE_GL_DOT_PRODUCT_COMBINER
    if (!findMultitexture()) return false;
#endif
    if (!rock.load(rockPath(folder).c_str(), TextureLevels::Mipmapped)) return false;
    if (!normalMap.load(normalsPath(folder).c_str(), TextureLevels::Mipmapped)) return false;
#if !ORVANE_GL_DOT_PRODUCT_COMBINER
    if (!bakeBumpedRock(*this)) return false;
#endif

    // Exchanges y and z: world up becomes the normal map's blue axis.
    lightMatrix = Matrix4(1, 0, 0, 0,
                          0, 0, 1, 0,
                          0, 1, 0, 0,
                          0, 0, 0, 1);
    lightPosition = light;

    if (!texturedDrawing.compile([this] { drawBumpMapped(*this); })) return false;
    if (!plainDrawing.compile(drawPlain)) return false;
    built = true;
    return true;
}

void Ground::draw(bool textured) const {
    if (built) (textured ? texturedDrawing : plainDrawing).call();
}
