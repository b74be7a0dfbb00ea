// Where the window's pictures are found: the first folder that holds any of
// them wins, one that holds only some still wins (so that the scene names
// each missing one), and with none anywhere the message names every place.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assets/PictureFolder.h"
#include "tests/support/TempDirectory.h"
#include "tools/imagegen/ImageSet.h"

namespace {
class PictureFolderSearch : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.valid()); }

    // A folder under the temporary directory with the given pictures in it
    // (and, to tell it apart from a picture, a file of another name).
    PictureFolder folder(const std::string& name, const std::vector<std::string>& pictures) {
        std::filesystem::create_directories(dir_.file(name));
        dir_.writeText(name + "/README", "not a picture\n");
        for (const std::string& picture : pictures) dir_.writeText(name + "/" + picture, "TGA");
        return {dir_.file(name), name};
    }

    TempDirectory dir_;
};
}  // namespace

TEST_F(PictureFolderSearch, TheFirstFolderHoldingAnyPictureWinsEvenWithSomeMissing) {
    const std::vector<PictureFolder> folders = {folder("empty", {}), {dir_.file("missing"), "missing"},
                                                folder("one", {"skybox_3.tga"}),
                                                folder("all", scenePictureNames())};
    const PictureFolder* found = firstFolderWithPictures(folders);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->what, "one");
}

TEST_F(PictureFolderSearch, AFolderNamedLikeAPictureIsNoPicture) {
    const PictureFolder odd = folder("odd", {});
    std::filesystem::create_directories(odd.path + "/env2.tga");
    const std::vector<PictureFolder> folders = {odd, folder("all", scenePictureNames())};
    ASSERT_NE(firstFolderWithPictures(folders), nullptr);
    EXPECT_EQ(firstFolderWithPictures(folders)->what, "all");
}

TEST_F(PictureFolderSearch, WithNoneAnywhereTheMessageNamesEveryPlaceInOrder) {
    const std::vector<PictureFolder> folders = {{dir_.file("work/pics"), "the working directory's"},
                                                {dir_.file("share/orvane/pics"), "installed"},
                                                folder("build/pics", {})};
    EXPECT_EQ(firstFolderWithPictures(folders), nullptr);
    EXPECT_EQ(noPicturesMessage(folders),
              "no pictures found in " + dir_.file("work/pics") + " (the working directory's), " +
                  dir_.file("share/orvane/pics") +
                  " (installed) or " + dir_.file("build/pics") + " (build/pics); the scene is drawn without them");
    EXPECT_EQ(firstFolderWithPictures({}), nullptr);
}

TEST(PictureNames, AreTheOnesTheGeneratorMakes) {
    std::vector<std::string> searched = scenePictureNames();
    std::vector<std::string> made = imageSetNames();
    std::sort(searched.begin(), searched.end());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(searched, made);
}
