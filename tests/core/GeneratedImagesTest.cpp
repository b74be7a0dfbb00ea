// The generated pictures: their formats, their determinism, and the
// properties that make them work where they are drawn (seamless sky box,
// tiling rock, unit normals, a bolt on transparent black).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "assets/TextureImage.h"
#include "effects/SkyboxFaces.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDirectory.h"
#include "tools/imagegen/ImageSet.h"
#include "tools/imagegen/RockImages.h"
#include "tools/imagegen/SkyImages.h"

namespace {

class GeneratedImages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        images = new std::vector<GeneratedImage>(generateImageSet());
    }
    static void TearDownTestSuite() {
        delete images;
        images = nullptr;
    }

    static const GeneratedImage& image(const std::string& name) {
        for (const GeneratedImage& i : *images)
            if (i.name == name) return i;
        ADD_FAILURE() << "no image " << name;
        static const GeneratedImage none;
        return none;
    }
    static const GeneratedImage& skyFace(int face) { return image("skybox_" + std::to_string(face) + ".tga"); }

    static std::vector<GeneratedImage>* images;
};
std::vector<GeneratedImage>* GeneratedImages::images = nullptr;

int channelDifference(const unsigned char* a, const unsigned char* b) {
    int most = 0;
    for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a[c]) - int(b[c])));
    return most;
}

// ---------------------------------------------------------------- the set

TEST_F(GeneratedImages, SetHasTheTenFilesTheProgramReads) {
    struct Expected {
        const char* name;
        int width, height, components;
    };
    const Expected expected[] = {
        {"env2.tga", 256, 256, 3},      {"rock_texture.tga", 512, 512, 3}, {"rock_normal.tga", 512, 512, 3},
        {"lightning2.tga", 256, 256, 4}, {"skybox_0.tga", 512, 512, 3},     {"skybox_1.tga", 512, 512, 3},
        {"skybox_2.tga", 512, 512, 3},  {"skybox_3.tga", 512, 512, 3},     {"skybox_4.tga", 512, 512, 3},
        {"skybox_5.tga", 512, 512, 3},
    };
    ASSERT_EQ(images->size(), std::size(expected));
    ASSERT_EQ(imageSetNames().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        const GeneratedImage& got = (*images)[i];
        EXPECT_EQ(got.name, expected[i].name);
        EXPECT_EQ(imageSetNames()[i], expected[i].name);
        EXPECT_EQ(got.width, expected[i].width);
        EXPECT_EQ(got.height, expected[i].height);
        EXPECT_EQ(got.components, expected[i].components);
        EXPECT_EQ(got.pixels.size(), std::size_t(got.width) * got.height * got.components);
    }
}

TEST_F(GeneratedImages, AreTheSameBytesEveryTimeAndOneByOne) {
    const std::vector<GeneratedImage> again = generateImageSet();
    ASSERT_EQ(again.size(), images->size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        SCOPED_TRACE(again[i].name);
        EXPECT_TRUE(again[i].pixels == (*images)[i].pixels);

        GeneratedImage single;
        ASSERT_TRUE(generateImage(again[i].name, single));
        EXPECT_EQ(single.name, again[i].name);
        EXPECT_TRUE(single.pixels == again[i].pixels);
    }
    GeneratedImage unknown;
    EXPECT_FALSE(generateImage("skybox_6.tga", unknown));
}

TEST_F(GeneratedImages, WrittenSetReadsBackUnchanged) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string target = dir.file("made/on/demand");
    std::string error;
    ASSERT_TRUE(writeImageSet(target, *images, &error)) << error;
    for (const GeneratedImage& made : *images) {
        SCOPED_TRACE(made.name);
        TextureImage read;
        ASSERT_TRUE(loadTga(read, (target + "/" + made.name).c_str()));
        EXPECT_EQ(read.width, made.width);
        EXPECT_EQ(read.height, made.height);
        EXPECT_EQ(read.components, made.components);
        EXPECT_TRUE(std::equal(made.pixels.begin(), made.pixels.end(), read.pixels));
    }
}

TEST_F(GeneratedImages, WritingIntoAPlainFileFailsWithAReason) {
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    const std::string blocker = dir.writeBytes("not-a-directory", {1});
    std::string error;
    EXPECT_FALSE(writeImageSet(blocker, *images, &error));
    EXPECT_NE(error.find(blocker), std::string::npos) << error;
}

// ---------------------------------------------------------------- sky box

// Where a box corner of the face table sits, and the texture coordinate it carries there.
struct CornerOnFace {
    int face;
    float s, t;
};

const SkyboxCorner* findCorner(int face, const SkyboxCorner& like) {
    for (const SkyboxCorner& c : kSkyboxFaces[face])
        if (c.x == like.x && c.y == like.y && c.z == like.z) return &c;
    return nullptr;
}

// The texel of an N x N face image at texture coordinate (s, t); s or t is 0
// or 1 on an edge, where the texel is the outermost one.
const unsigned char* texelAt(const GeneratedImage& image, double s, double t) {
    const int column = std::min(image.width - 1, std::max(0, int(std::floor(s * image.width))));
    const int row = std::min(image.height - 1, std::max(0, int(std::floor(t * image.height))));
    return image.texel(column, row);
}

struct EdgeComparison {
    int edges = 0;
    double meanDifference = 0.0;  // over all texels of all edges
    int largestDifference = 0;
};

// For every edge of every face, the face's texels along that edge against
// the texels of the face on the other side, found through the face table.
// `reversed` pairs each texel with the one at the far end of the edge
// instead, which a correct pairing must beat by far.
EdgeComparison compareSharedEdges(const GeneratedImage* faces[6], bool reversed) {
    EdgeComparison result;
    long long total = 0, count = 0;
    for (int face = 0; face < 6; ++face) {
        for (int k = 0; k < 4; ++k) {
            const SkyboxCorner& a = kSkyboxFaces[face][k];
            const SkyboxCorner& b = kSkyboxFaces[face][(k + 1) % 4];
            int other = -1;
            for (int g = 0; g < 6; ++g)
                if (g != face && findCorner(g, a) && findCorner(g, b)) other = g;
            EXPECT_GE(other, 0) << "face " << face << " edge " << k << " has no neighbour";
            if (other < 0) continue;
            ++result.edges;
            const SkyboxCorner& a2 = *findCorner(other, a);
            const SkyboxCorner& b2 = *findCorner(other, b);
            const int n = faces[face]->width;
            for (int i = 0; i < n; ++i) {
                const double u = (i + 0.5) / n;
                const double v = reversed ? 1.0 - u : u;
                const unsigned char* here = texelAt(*faces[face], a.s + u * (b.s - a.s), a.t + u * (b.t - a.t));
                const unsigned char* there = texelAt(*faces[other], a2.s + v * (b2.s - a2.s), a2.t + v * (b2.t - a2.t));
                const int d = channelDifference(here, there);
                total += d;
                ++count;
                result.largestDifference = std::max(result.largestDifference, d);
            }
        }
    }
    result.meanDifference = count ? double(total) / count : 0.0;
    return result;
}

TEST_F(GeneratedImages, SkyBoxFacesMeetWithoutSeams) {
    const GeneratedImage* faces[6];
    for (int f = 0; f < 6; ++f) faces[f] = &skyFace(f);

    const EdgeComparison matched = compareSharedEdges(faces, false);
    EXPECT_EQ(matched.edges, 24);  // each of the cube's 12 edges, seen from both faces
    EXPECT_LT(matched.meanDifference, 1.5);
    EXPECT_LE(matched.largestDifference, 16);

    const EdgeComparison mismatched = compareSharedEdges(faces, true);
    EXPECT_GT(mismatched.meanDifference, 4.0 * matched.meanDifference);
}

TEST_F(GeneratedImages, SkyBoxTexelDirectionsFollowTheFaceTable) {
    // Each face lies in the plane its four corners share, and its (0, 0)
    // corner is where the table puts texture coordinate (0, 0).
    const int n = kSkyboxFaceSize;
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const SkyboxCorner* origin = nullptr;
        for (const SkyboxCorner& c : kSkyboxFaces[face])
            if (c.s == 0.0f && c.t == 0.0f) origin = &c;
        ASSERT_NE(origin, nullptr);
        const Vec3 d = skyboxTexelDirection(face, 0, 0, n);
        EXPECT_NEAR(length(d), 1.0, 1e-12);
        // Towards that corner: every component has the corner's sign.
        EXPECT_GT(d.x * (2 * origin->x - 1), 0.0);
        EXPECT_GT(d.y * (2 * origin->y - 1), 0.0);
        EXPECT_GT(d.z * (2 * origin->z - 1), 0.0);
        const Vec3 centre = skyboxTexelDirection(face, n / 2, n / 2, n);
        const double along[3] = {std::fabs(centre.x), std::fabs(centre.y), std::fabs(centre.z)};
        EXPECT_NEAR(*std::max_element(along, along + 3), 1.0, 1e-3);
    }
}

TEST_F(GeneratedImages, SkyIsDarkBelowTheHorizonAndOverTheBottomFace) {
    double bottom = 0.0, top = 0.0;
    const GeneratedImage& below = skyFace(5);
    const GeneratedImage& above = skyFace(4);
    for (std::size_t i = 0; i < below.pixels.size(); ++i) {
        bottom += below.pixels[i];
        top += above.pixels[i];
    }
    bottom /= below.pixels.size();
    top /= above.pixels.size();
    EXPECT_LT(bottom, 20.0);
    EXPECT_GT(top, 2.0 * bottom);
}

// The sky box face and texture coordinate that the box shows in a direction.
const unsigned char* skyBoxTexelSeenAlong(const GeneratedImage* faces[6], const Vec3& d) {
    const double component[3] = {d.x, d.y, d.z};
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (std::fabs(component[a]) > std::fabs(component[axis])) axis = a;
    const int side = component[axis] > 0.0 ? 1 : 0;
    for (int face = 0; face < 6; ++face) {
        const SkyboxCorner* corner[2][2] = {};
        bool onPlane = true;
        for (const SkyboxCorner& c : kSkyboxFaces[face]) {
            const int selector[3] = {c.x, c.y, c.z};
            onPlane = onPlane && selector[axis] == side;
            corner[int(c.s)][int(c.t)] = &c;
        }
        if (!onPlane) continue;
        const double scale = 1.0 / std::fabs(component[axis]);
        const double q[3] = {d.x * scale, d.y * scale, d.z * scale};
        const SkyboxCorner& o = *corner[0][0];
        const SkyboxCorner& es = *corner[1][0];
        const SkyboxCorner& et = *corner[0][1];
        const double p0[3] = {2.0 * o.x - 1, 2.0 * o.y - 1, 2.0 * o.z - 1};
        const double sAxis[3] = {2.0 * (es.x - o.x), 2.0 * (es.y - o.y), 2.0 * (es.z - o.z)};
        const double tAxis[3] = {2.0 * (et.x - o.x), 2.0 * (et.y - o.y), 2.0 * (et.z - o.z)};
        double s = 0.0, t = 0.0;
        for (int a = 0; a < 3; ++a) {
            s += (q[a] - p0[a]) * sAxis[a] / 4.0;
            t += (q[a] - p0[a]) * tAxis[a] / 4.0;
        }
        return texelAt(*faces[face], s, t);
    }
    ADD_FAILURE() << "no face for a direction";
    return faces[0]->texel(0, 0);
}

TEST_F(GeneratedImages, EnvironmentShowsTheSameSkyAsTheBox) {
    const GeneratedImage* faces[6];
    for (int f = 0; f < 6; ++f) faces[f] = &skyFace(f);
    const GeneratedImage& env = image("env2.tga");
    const double pi = 3.141592653589793;
    long long total = 0, count = 0;
    for (int row = 0; row < env.height; row += 3) {
        // Rows are latitudes: t = asin(y) / pi + 0.5, as the ball's texture coordinates have it.
        const double latitude = pi * ((row + 0.5) / env.height - 0.5);
        for (int column = 0; column < env.width; column += 3) {
            const double longitude = 2.0 * pi * (column + 0.5) / env.width;
            const Vec3 d(std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                         std::cos(latitude) * std::sin(longitude));
            total += channelDifference(env.texel(column, row), skyBoxTexelSeenAlong(faces, d));
            ++count;
        }
    }
    EXPECT_LT(double(total) / count, 2.0);
}

// ---------------------------------------------------------------- rock

struct EdgeSmoothness {
    double acrossWrap;    // last column (row) against the first
    double insideMiddle;  // two neighbouring columns (rows) in the middle
    double farApart;      // columns (rows) half the image apart
};

double meanColumnDifference(const GeneratedImage& image, int a, int b) {
    long long total = 0;
    for (int row = 0; row < image.height; ++row) total += channelDifference(image.texel(a, row), image.texel(b, row));
    return double(total) / image.height;
}

double meanRowDifference(const GeneratedImage& image, int a, int b) {
    long long total = 0;
    for (int column = 0; column < image.width; ++column)
        total += channelDifference(image.texel(column, a), image.texel(column, b));
    return double(total) / image.width;
}

void expectTiles(const GeneratedImage& image) {
    const int w = image.width, h = image.height;
    const EdgeSmoothness columns{meanColumnDifference(image, w - 1, 0), meanColumnDifference(image, w / 2 - 1, w / 2),
                                 meanColumnDifference(image, 0, w / 2)};
    const EdgeSmoothness rows{meanRowDifference(image, h - 1, 0), meanRowDifference(image, h / 2 - 1, h / 2),
                              meanRowDifference(image, 0, h / 2)};
    for (const EdgeSmoothness& e : {columns, rows}) {
        EXPECT_LT(e.acrossWrap, 1.5 * e.insideMiddle + 1.0);
        EXPECT_GT(e.farApart, 1.5 * e.acrossWrap);
    }
}

TEST_F(GeneratedImages, RockPicturesTileWithoutSeams) {
    {
        SCOPED_TRACE("rock_texture");
        expectTiles(image("rock_texture.tga"));
    }
    {
        SCOPED_TRACE("rock_normal");
        expectTiles(image("rock_normal.tga"));
    }
}

struct DecodedNormal {
    double x, y, z;
};

DecodedNormal decodeNormal(const unsigned char* texel) {
    return {texel[0] / 127.5 - 1.0, texel[1] / 127.5 - 1.0, texel[2] / 127.5 - 1.0};
}

TEST_F(GeneratedImages, NormalMapHoldsUnitNormalsPointingUp) {
    const GeneratedImage& normals = image("rock_normal.tga");
    // Rounding moves each component by at most 1/255.
    const double tolerance = std::sqrt(3.0) / 255.0;
    double leastUp = 1.0;
    int tilted = 0;
    for (int row = 0; row < normals.height; ++row) {
        for (int column = 0; column < normals.width; ++column) {
            const DecodedNormal n = decodeNormal(normals.texel(column, row));
            ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, tolerance) << column << "," << row;
            leastUp = std::min(leastUp, n.z);
            if (n.z < 0.95) ++tilted;
        }
    }
    EXPECT_GT(leastUp, 0.0);
    EXPECT_GT(tilted, normals.width * normals.height / 50);  // there are bumps to see
}

// Summing the slopes that the normals encode along a row must give back the
// height change of the rock surface they were made from: right signs, right
// axes, the same bumps.
TEST_F(GeneratedImages, NormalMapDescribesTheRockSurface) {
    const RockSurface surface = makeRockSurface(kRockSize);
    const GeneratedImage& normals = image("rock_normal.tga");
    ASSERT_EQ(surface.size, normals.width);
    const int span = 40;
    double worst = 0.0, largestRise = 0.0;
    for (int line = 7; line < surface.size; line += 50) {
        for (int start = 0; start + span + 1 < surface.size; start += 60) {
            double alongS = 0.0, alongT = 0.0;
            for (int i = start + 1; i <= start + span; ++i) {
                const DecodedNormal ns = decodeNormal(normals.texel(i, line));
                const DecodedNormal nt = decodeNormal(normals.texel(line, i));
                alongS += -ns.x / ns.z;
                alongT += -nt.y / nt.z;
            }
            // Central differences telescope to half the sum of two end pairs.
            const double riseS = 0.5 * (surface.heightAt(start + span + 1, line) + surface.heightAt(start + span, line) -
                                        surface.heightAt(start + 1, line) - surface.heightAt(start, line));
            const double riseT = 0.5 * (surface.heightAt(line, start + span + 1) + surface.heightAt(line, start + span) -
                                        surface.heightAt(line, start + 1) - surface.heightAt(line, start));
            worst = std::max({worst, std::fabs(alongS - riseS), std::fabs(alongT - riseT)});
            largestRise = std::max({largestRise, std::fabs(riseS), std::fabs(riseT)});
        }
    }
    EXPECT_GT(largestRise, 5.0);
    EXPECT_LT(worst, 0.5);
}

TEST_F(GeneratedImages, RockColoursFollowTheBumps) {
    // Raised rock is lighter, pits and cracks darker.
    const RockSurface surface = makeRockSurface(kRockSize);
    const GeneratedImage& colours = image("rock_texture.tga");
    double sh = 0, sl = 0, shh = 0, sll = 0, shl = 0;
    const double n = double(surface.size) * surface.size;
    double crackLight = 0, crackCount = 0;
    for (int row = 0; row < surface.size; ++row) {
        for (int column = 0; column < surface.size; ++column) {
            const unsigned char* c = colours.texel(column, row);
            const double light = (c[0] + c[1] + c[2]) / 3.0;
            const double h = surface.height[surface.index(column, row)];
            sh += h;
            sl += light;
            shh += h * h;
            sll += light * light;
            shl += h * light;
            if (surface.crack[surface.index(column, row)] > 0.9) {
                crackLight += light;
                ++crackCount;
            }
        }
    }
    const double correlation = (shl - sh * sl / n) / std::sqrt((shh - sh * sh / n) * (sll - sl * sl / n));
    EXPECT_GT(correlation, 0.3);
    ASSERT_GT(crackCount, 100.0);
    EXPECT_LT(crackLight / crackCount, 0.5 * sl / n);
}

// ---------------------------------------------------------------- lightning

TEST_F(GeneratedImages, LightningIsABoltOnTransparentBlack) {
    const GeneratedImage& bolt = image("lightning2.tga");
    const int size = bolt.width;
    int lit = 0, maxAlpha = 0, faint = 0;
    int highestBright = -1, lowestBright = size;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const unsigned char* p = bolt.texel(column, row);
            const bool border = row < 3 || column < 3 || row >= size - 3 || column >= size - 3;
            if (border) {
                EXPECT_EQ(p[3], 0) << "edge texel " << column << "," << row;
            }
            if (p[3] == 0) {
                EXPECT_EQ(p[0] + p[1] + p[2], 0) << "transparent but coloured at " << column << "," << row;
                continue;
            }
            ++lit;
            maxAlpha = std::max(maxAlpha, int(p[3]));
            if (p[3] < 64) ++faint;
            if (p[3] > 200) {
                highestBright = std::max(highestBright, row);
                lowestBright = std::min(lowestBright, row);
            }
        }
    }
    EXPECT_EQ(maxAlpha, 255);                // a bright core
    EXPECT_GT(faint, lit / 4);               // with a soft glow
    EXPECT_LT(lit, size * size / 4);         // mostly empty sky
    EXPECT_GT(highestBright, size * 3 / 4);  // reaching from the top (last rows, drawn highest)
    EXPECT_LT(lowestBright, size / 4);       // down to the bottom
}

// ---------------------------------------------------------------- the program

int runGenerator(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {std::string(ORVANE_BINARY_DIR) + "/orvane-imagegen"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runChild(argv).exitStatus;
}

TEST(ImageGenerator, ExitCodesTellUsageErrorsFromWriteFailures) {
    if (!std::filesystem::exists(std::string(ORVANE_BINARY_DIR) + "/orvane-imagegen"))
        GTEST_SKIP() << "orvane-imagegen not built";
    TempDirectory dir;
    ASSERT_TRUE(dir.valid());
    EXPECT_EQ(runGenerator({"--help"}), 0);
    EXPECT_EQ(runGenerator({}), 2);
    EXPECT_EQ(runGenerator({"--out"}), 2);
    EXPECT_EQ(runGenerator({"--colour", "blue"}), 2);
    const std::string blocker = dir.writeBytes("file", {1});
    EXPECT_EQ(runGenerator({"--out", blocker}), 1);
    EXPECT_EQ(runGenerator({"--out", dir.file("pics")}), 0);
    for (const std::string& name : imageSetNames()) EXPECT_TRUE(std::filesystem::exists(dir.file("pics/" + name)));
}

}  // namespace
