// The texture store on the recording device: sharing, parameter matching, sub-textures,
// reference counts, device loss and the sources textures are made from.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "engine/core/Log.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureManager.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace {

using namespace engine;

using testsupport::solidBmp;

class Textures : public rendertest::PublishedRecordingDevice {
protected:
  void SetUp() override {
    PublishedRecordingDevice::SetUp();
    RarWriter writer;
    writer.addFile("Media\\wood.bmp", solidBmp(3, 2, 0x804020), 0);
    writer.addFile("Media\\brass.bmp", solidBmp(8, 8, 0xC0A040), 0);
    writer.addFile("Media\\broken.bmp", "BM this is no picture", 0);
    archiveBytes_ = writer.finish();
    ASSERT_TRUE(
        archive_.open(FileLocation::memory(archiveBytes_.data(), static_cast<std::uint32_t>(archiveBytes_.size()))));
  }
  void TearDown() override {
    manager_.reset();
    PublishedRecordingDevice::TearDown();
  }

  TextureRequest media(std::string_view path, std::uint32_t flags = 0) {
    TextureRequest request;
    request.location = FileLocation::diskOrArchive(&archive_, path);
    request.flags = flags;
    return request;
  }

  // The first pixel of level 0 as 0xAARRGGBB.
  static std::uint32_t firstTexel(Texture& texture) {
    D3DLOCKED_RECT locked{};
    if (texture.d3dTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0;
    std::uint32_t texel = 0;
    std::memcpy(&texel, locked.pBits, 4);
    texture.d3dTexture()->UnlockRect(0);
    return texel;
  }

  std::string archiveBytes_;
  MemFileArchive archive_;
  std::unique_ptr<TextureManager> manager_ = std::make_unique<TextureManager>();
};

TEST_F(Textures, RequestsForTheSameFileShareOneTextureWhateverTheLetterCase) {
  TextureRef a = manager_->get(media("Media/wood.bmp"));
  TextureRef b = manager_->get(media("MEDIA/Wood.BMP"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(a->references(), 2);
  EXPECT_EQ(manager_->size(), 1u);
  EXPECT_EQ(calls("CreateTexture"), 1u);

  // The other separator names another location (the archive finds the same entry).
  TextureRef c = manager_->get(media("Media\\wood.bmp"));
  ASSERT_TRUE(c);
  EXPECT_NE(c.get(), a.get());
  EXPECT_EQ(manager_->size(), 2u);
}

TEST_F(Textures, WhileLoadingIsStoppedNothingNewIsDecodedButSharedTexturesStillAnswer) {
  TextureRef wood = manager_->get(media("Media/wood.bmp"));
  ASSERT_TRUE(wood);
  bool stopped = true;
  manager_->setLoadingStopped([&stopped] { return stopped; });
  EXPECT_EQ(manager_->get(media("Media/wood.bmp")).get(), wood.get());
  EXPECT_FALSE(manager_->get(media("Media/brass.bmp")));
  EXPECT_EQ(calls("CreateTexture"), 1u);
  stopped = false;
  EXPECT_TRUE(manager_->get(media("Media/brass.bmp")));
}

TEST_F(Textures, OnlyTheParametersARequestInsistsOnDecideSharing) {
  TextureRef plain = manager_->get(media("Media/brass.bmp"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->width(), 8u);

  TextureRequest smaller = media("Media/brass.bmp", kMatchSize);
  smaller.width = smaller.height = 4;
  TextureRef small = manager_->get(smaller);
  ASSERT_TRUE(small);
  EXPECT_NE(small.get(), plain.get());
  EXPECT_EQ(small->width(), 4u);
  EXPECT_EQ(manager_->get(smaller).get(), small.get());

  TextureRequest sameSize = media("Media/brass.bmp", kMatchSize);
  sameSize.width = sameSize.height = 8;
  EXPECT_EQ(manager_->get(sameSize).get(), plain.get());

  TextureRequest keyed = media("Media/brass.bmp", kMatchColorKey);
  keyed.colorKey = 0xFFC0A040;
  TextureRef transparent = manager_->get(keyed);
  ASSERT_TRUE(transparent);
  EXPECT_NE(transparent.get(), plain.get());
  EXPECT_EQ(firstTexel(*transparent), 0u); // the key turned the texels transparent black
  EXPECT_EQ(firstTexel(*plain), 0xFFC0A040u);

  TextureRequest formatted = media("Media/brass.bmp", kMatchFormat | kMatchLevels);
  formatted.format = D3DFMT_A8R8G8B8;
  formatted.levels = 1;
  TextureRef own = manager_->get(formatted);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(own->levels(), 1u);
  EXPECT_TRUE(own->hasAlpha());
  EXPECT_FALSE(plain->hasAlpha()); // a 24-bit picture becomes X8R8G8B8

  TextureRequest unshared = media("Media/brass.bmp");
  unshared.unshared = true;
  EXPECT_NE(manager_->get(unshared).get(), plain.get());
}

TEST_F(Textures, SubTexturesReportUvRectanglesOfTheCreatedSize) {
  TextureRequest request = media("Media/wood.bmp", kMatchSubName | kMatchSubRect);
  request.subName = "grain";
  request.subRect = {1, 0, 3, 2};
  TextureRef grain = manager_->get(request);
  ASSERT_TRUE(grain);
  Texture* parent = grain->parent();
  ASSERT_NE(parent, nullptr);
  // Three by two texels were asked for; D3DX made four by two.
  EXPECT_EQ(parent->createdWidth(), 4u);
  EXPECT_EQ(parent->imageInfo().Width, 3u);
  EXPECT_EQ(grain->uvRect(), (UvRect{0.25f, 0.0f, 0.75f, 1.0f}));
  EXPECT_EQ(grain->width(), 2u);
  EXPECT_EQ(grain->height(), 2u);
  EXPECT_EQ(parent->uvRect(), UvRect{});
  EXPECT_EQ(grain->d3dTexture(), parent->d3dTexture());
  EXPECT_EQ(grain->description().Width, 4u);

  // Found again by name alone, or by rectangle alone.
  TextureRequest byName = media("Media/wood.bmp", kMatchSubName);
  byName.subName = "grain";
  EXPECT_EQ(manager_->get(byName).get(), grain.get());
  TextureRequest byRect = media("Media/wood.bmp", kMatchSubRect);
  byRect.subRect = {1, 0, 3, 2};
  EXPECT_EQ(manager_->get(byRect).get(), grain.get());
  TextureRequest missing = media("Media/wood.bmp", kMatchSubName);
  missing.subName = "knot";
  missing.noCreate = true;
  EXPECT_FALSE(manager_->get(missing));
  EXPECT_EQ(parent->subs().size(), 1u);

  // Starting from a texture works without a location at all.
  TextureRequest fromTexture;
  fromTexture.flags = kStartFromTexture | kMatchSubName;
  fromTexture.texture = parent;
  fromTexture.subName = "grain";
  EXPECT_EQ(manager_->get(fromTexture).get(), grain.get());
}

TEST_F(Textures, SubTexturesOfADeferredParentMeasureWhatItBecomes) {
  TextureRequest request = media("Media/wood.bmp", kMatchSubRect);
  request.subRect = {1, 0, 3, 2};
  request.deferred = true;
  TextureRef grain = manager_->get(request);
  ASSERT_TRUE(grain);
  EXPECT_FALSE(grain->created());
  // Three by two texels become four by two: the rectangle is of the created size.
  EXPECT_EQ(grain->uvRect(), (UvRect{0.25f, 0.0f, 0.75f, 1.0f}));
  EXPECT_TRUE(grain->created());
}

TEST_F(Textures, TheLastReferenceDestroysATextureAndSubTexturesHoldTheirParent) {
  TextureRequest request = media("Media/wood.bmp", kMatchSubName);
  request.subName = "left";
  TextureRef sub = manager_->get(request);
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->references(), 1);
  EXPECT_EQ(manager_->size(), 1u);
  TextureRef whole = manager_->get(media("Media/wood.bmp"));
  EXPECT_EQ(whole->references(), 2);
  whole.reset();
  EXPECT_EQ(manager_->size(), 1u); // the sub-texture keeps it
  sub.reset();
  EXPECT_EQ(manager_->size(), 0u);
  // A new request makes it again.
  EXPECT_TRUE(manager_->get(media("Media/wood.bmp")));
  EXPECT_EQ(calls("CreateTexture"), 2u);
}

TEST_F(Textures, ADestroyedTextureIsForgottenByTheStateCache) {
  TextureRef wood = manager_->get(media("Media/wood.bmp"));
  ASSERT_TRUE(wood);
  IDirect3DTexture9* object = wood->d3dTexture();
  ASSERT_TRUE(stateCache().setTexture(0, object));
  // The object is kept alive so that the same address is set again, as a new texture made
  // at a destroyed one's address would be: the cache must have forgotten it.
  object->AddRef();
  wood.reset();
  ASSERT_EQ(manager_->size(), 0u);
  log_->clear();
  EXPECT_TRUE(stateCache().setTexture(0, object));
  EXPECT_EQ(calls("SetTexture"), 1u);
  EXPECT_TRUE(stateCache().setTexture(0, nullptr));
  object->Release();
}

TEST_F(Textures, DeviceLossReleasesEveryTextureAndTheResetMakesThemAgain) {
  TextureRef wood = manager_->get(media("Media/wood.bmp"));
  TextureRequest request = media("Media/brass.bmp", kMatchSubName);
  request.subName = "corner";
  TextureRef corner = manager_->get(request);
  ASSERT_TRUE(wood && corner);
  const D3DSURFACE_DESC before = wood->description();

  EXPECT_TRUE(manager_->invalidateDeviceObjects());
  EXPECT_FALSE(wood->created());
  EXPECT_EQ(corner->d3dTexture(), nullptr);
  log_->clear();
  EXPECT_TRUE(manager_->restoreDeviceObjects());
  EXPECT_EQ(calls("CreateTexture"), 2u);
  EXPECT_TRUE(wood->created());
  EXPECT_EQ(std::memcmp(&before, &wood->description(), sizeof before), 0);
  EXPECT_EQ(firstTexel(*wood), 0xFF804020u);
  EXPECT_EQ(corner->d3dTexture(), corner->parent()->d3dTexture());
}

TEST_F(Textures, ADeferredTextureIsMadeOnFirstUse) {
  TextureRequest request = media("Media/wood.bmp");
  request.deferred = true;
  TextureRef wood = manager_->get(request);
  ASSERT_TRUE(wood);
  EXPECT_TRUE(wood->source() & kSourceDeferred);
  EXPECT_EQ(calls("CreateTexture"), 0u);
  EXPECT_TRUE(manager_->restoreDeviceObjects()); // a reset leaves it for its first use
  EXPECT_EQ(calls("CreateTexture"), 0u);
  ASSERT_NE(wood->d3dTexture(), nullptr);
  EXPECT_FALSE(wood->source() & kSourceDeferred);
  EXPECT_EQ(calls("CreateTexture"), 1u);
}

TEST_F(Textures, TexturesAreMadeFromMemoryDiskAndNothing) {
  const std::string first = solidBmp(2, 2, 0x112233);
  std::string second = solidBmp(2, 2, 0x445566);
  TextureRequest fromFirst;
  fromFirst.location = FileLocation::memory(first.data(), static_cast<std::uint32_t>(first.size()));
  TextureRef a = manager_->get(fromFirst);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->source(), kSourceBorrowedBytes);
  fromFirst.location.shareBlock = false;
  TextureRef copied = manager_->get(fromFirst);
  EXPECT_EQ(copied.get(), a.get()); // the same block is the same file

  // Other bytes are another picture, never the texture of the first block.
  TextureRequest fromSecond;
  fromSecond.location = FileLocation::memory(second.data(), static_cast<std::uint32_t>(second.size()), false);
  TextureRef b = manager_->get(fromSecond);
  ASSERT_TRUE(b);
  EXPECT_NE(b.get(), a.get());
  EXPECT_EQ(b->source(), kSourceOwnedBytes);
  EXPECT_EQ(firstTexel(*b), 0xFF445566u);

  // A block freed and another made at its address, with other bytes: another picture.
  std::string reused = solidBmp(2, 2, 0x778899);
  TextureRequest fromReused = fromSecond;
  std::memcpy(second.data(), reused.data(), reused.size());
  TextureRef c = manager_->get(fromReused);
  ASSERT_TRUE(c);
  EXPECT_NE(c.get(), b.get());
  EXPECT_EQ(firstTexel(*c), 0xFF778899u);

  testsupport::TempDir folder;
  const std::string path = folder.write("disk.bmp", solidBmp(4, 4, 0x102030)).string();
  TextureRequest fromDisk;
  fromDisk.location = FileLocation::disk(path);
  TextureRef kept = manager_->get(fromDisk);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->source(), kSourceOwnedBytes);
  fromDisk.location.shareBlock = false;
  fromDisk.unshared = true;
  TextureRef byPath = manager_->get(fromDisk);
  ASSERT_TRUE(byPath);
  EXPECT_EQ(byPath->source(), kSourcePath);
  EXPECT_EQ(firstTexel(*byPath), 0xFF102030u);

  // An empty texture is shared with empty textures only.
  TextureRequest empty;
  empty.flags = kMatchSize | kMatchFormat;
  empty.width = empty.height = 2;
  empty.format = D3DFMT_X8R8G8B8;
  TextureRef blank = manager_->get(empty);
  ASSERT_TRUE(blank);
  EXPECT_NE(blank.get(), a.get());
  EXPECT_EQ(blank->source(), kSourceEmpty);
  EXPECT_EQ(blank->createdWidth(), 2u);
  EXPECT_EQ(manager_->get(empty).get(), blank.get());
}

TEST_F(Textures, AMaxSideShrinksAPictureWithItsProportionsAndIsNotSharedWithoutIt) {
  const std::string large = solidBmp(300, 200, 0x336699), small = solidBmp(40, 30, 0x336699);
  const auto limited = [](const std::string& bytes, UINT maxSide) {
    TextureRequest request;
    request.location = FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    request.maxSide = maxSide;
    return request;
  };
  const TextureRequest photo = limited(large, 64);
  TextureRef shrunk = manager_->get(photo);
  ASSERT_TRUE(shrunk);
  EXPECT_EQ(shrunk->createdWidth(), 64u);
  EXPECT_EQ(shrunk->createdHeight(), 43u); // 200 * 64 / 300, rounded
  EXPECT_EQ(shrunk->imageInfo().Width, 300u);
  EXPECT_EQ(firstTexel(*shrunk), 0xFF336699u);
  // The whole picture is another texture, in the usual powers of two.
  TextureRef full = manager_->get(limited(large, 0));
  ASSERT_TRUE(full);
  EXPECT_NE(full.get(), shrunk.get());
  EXPECT_EQ(full->createdWidth(), 512u);
  EXPECT_EQ(manager_->get(photo).get(), shrunk.get());

  // A picture within the limit keeps its own size, not rounded up past it.
  TextureRef kept = manager_->get(limited(small, 64));
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->createdWidth(), 40u);
  EXPECT_EQ(kept->createdHeight(), 30u);

  // Read by path, and again after a device reset, it is the same size.
  testsupport::TempDir folder;
  TextureRequest onDisk;
  onDisk.location = FileLocation::disk(folder.write("tall.bmp", solidBmp(20, 100, 0x336699)).string());
  onDisk.location.shareBlock = false;
  onDisk.maxSide = 50;
  TextureRef tall = manager_->get(onDisk);
  ASSERT_TRUE(tall);
  EXPECT_EQ(tall->source(), kSourcePath);
  EXPECT_EQ(tall->createdWidth(), 10u);
  EXPECT_EQ(tall->createdHeight(), 50u);
  tall->invalidate();
  ASSERT_TRUE(tall->restore());
  EXPECT_EQ(tall->createdHeight(), 50u);
}

TEST_F(Textures, FilesThatCannotBeReadOrDecodedGiveNothingAndLeaveNoEntry) {
  LogCapture log;
  TextureRequest broken = media("Media/broken.bmp");
  EXPECT_FALSE(manager_->get(broken));
  EXPECT_TRUE(log.contains("Error: cannot create the texture Media/broken.bmp\n"));
  EXPECT_FALSE(manager_->get(media("Media/absent.bmp")));
  TextureRequest nowhere;
  nowhere.location = FileLocation::disk("/no/such/folder/picture.bmp");
  EXPECT_FALSE(manager_->get(nowhere));
  EXPECT_EQ(manager_->size(), 0u);

  // No device, no texture.
  publishDevice(nullptr);
  EXPECT_FALSE(manager_->get(media("Media/wood.bmp")));
  EXPECT_EQ(manager_->size(), 0u);
}

TEST_F(Textures, AMediaFolderInTheWorkingDirectoryOverridesTheArchive) {
  testsupport::TempDir folder;
  folder.write("Media/wood.bmp", solidBmp(2, 2, 0x00FF00));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  TextureRef wood = manager_->get(media("Media/wood.bmp"));
  TextureRef brass = manager_->get(media("Media/brass.bmp"));
  std::filesystem::current_path(previous);
  ASSERT_TRUE(wood && brass);
  EXPECT_EQ(firstTexel(*wood), 0xFF00FF00u);  // from the folder
  EXPECT_EQ(firstTexel(*brass), 0xFFC0A040u); // from the archive
}

TEST_F(Textures, RequestSearchPathsComeBeforeTheStoresOwn) {
  testsupport::TempDir mine, theirs;
  mine.write("pic.bmp", solidBmp(2, 2, 0x0000FF));
  theirs.write("pic.bmp", solidBmp(2, 2, 0xFF0000));
  manager_->searchPaths().add(FileLocation::disk(theirs.path().string()));
  FileSearchPaths paths;
  paths.add(FileLocation::disk(mine.path().string()));
  TextureRequest request;
  request.location = FileLocation::disk("pic.bmp");
  TextureRef own = manager_->get(request, &paths);
  ASSERT_TRUE(own);
  EXPECT_EQ(firstTexel(*own), 0xFF0000FFu);
  request.unshared = true;
  TextureRef store = manager_->get(request);
  ASSERT_TRUE(store);
  EXPECT_EQ(firstTexel(*store), 0xFFFF0000u);
}

TEST(TextureFormats, AlphaFormatsAreTheListedOnes) {
  for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8, D3DFMT_A8R3G3B2, D3DFMT_A2B10G10R10,
                      D3DFMT_A8B8G8R8, D3DFMT_A16B16G16R16, D3DFMT_A8P8, D3DFMT_A8L8, D3DFMT_A4L4, D3DFMT_A2W10V10U10,
                      D3DFMT_A16B16G16R16F, D3DFMT_A32B32G32R32F, D3DFMT_MULTI2_ARGB8})
    EXPECT_TRUE(formatHasAlpha(f)) << f;
  for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_DXT5, D3DFMT_A2R10G10B10, D3DFMT_L8})
    EXPECT_FALSE(formatHasAlpha(f)) << f;
}

} // namespace
