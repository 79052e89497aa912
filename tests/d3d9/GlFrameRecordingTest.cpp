// The recorded frame behind the replay floor: which state calls a replay may leave out, which
// frames cannot be replayed, and that a replay paints the recorded picture again.
#include "tests/support/GlTestDevice.h"

#include "platform/d3d9/gl/GlFrameRecording.h"

#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

// Only the recording is looked at here: none of these calls reaches OpenGL.
class FrameRecordingPruning : public ::testing::Test {
protected:
  void draw() { recording.record(false, glDrawArrays, GLenum(GL_TRIANGLES), GLint(0), GLsizei(3)); }
  std::size_t prunedCount() {
    recording.markRepeatedStates();
    return recording.callCount(true);
  }

  d3d9::GlFrameRecording recording;
};

TEST_F(FrameRecordingPruning, AStateSetAgainToItsValueGoesAndAChangedOneStays) {
  recording.record(true, glDepthFunc, GLenum(GL_LESS));
  draw();
  recording.record(true, glDepthFunc, GLenum(GL_LESS)); // as it is
  recording.record(true, glDepthFunc, GLenum(GL_ALWAYS));
  draw();
  // The first call follows ALWAYS from the frame before, so it stays.
  EXPECT_EQ(recording.callCount(false), 5u);
  EXPECT_EQ(prunedCount(), 4u);
}

TEST_F(FrameRecordingPruning, WhatTheFrameLeavesSetIsNotSetAgainByTheNext) {
  recording.record(true, glEnable, GLenum(GL_BLEND));
  recording.record(true, glViewport, GLint(0), GLint(0), GLsizei(64), GLsizei(64));
  draw();
  EXPECT_EQ(prunedCount(), 1u);
}

TEST_F(FrameRecordingPruning, EnableAndDisableOfOneCapabilityAreOneState) {
  recording.record(true, glEnable, GLenum(GL_BLEND));
  draw();
  recording.record(true, glDisable, GLenum(GL_BLEND));
  draw();
  recording.record(true, glEnable, GLenum(GL_DEPTH_TEST)); // another capability: no clash
  EXPECT_EQ(prunedCount(), 4u);
}

TEST_F(FrameRecordingPruning, UniformsBelongToTheirProgram) {
  const GLfloat a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
  recording.record(true, glUseProgram, GLuint(1));
  recording.record(true, glUniform4fv, GLint(0), GLsizei(1), a);
  draw();
  recording.record(true, glUseProgram, GLuint(2));
  recording.record(true, glUniform4fv, GLint(0), GLsizei(1), b);
  draw();
  // Each program keeps its own value from frame to frame; the switches stay.
  EXPECT_EQ(prunedCount(), 4u);
}

TEST_F(FrameRecordingPruning, TexturesBelongToTheirUnitAndIndexBuffersToTheirVertexArray) {
  recording.record(true, glActiveTexture, GLenum(GL_TEXTURE0));
  recording.record(true, glBindTexture, GLenum(GL_TEXTURE_2D), GLuint(11));
  recording.record(true, glActiveTexture, GLenum(GL_TEXTURE1));
  recording.record(true, glBindTexture, GLenum(GL_TEXTURE_2D), GLuint(12));
  recording.record(true, glBindVertexArray, GLuint(1));
  recording.record(true, glBindBuffer, GLenum(GL_ELEMENT_ARRAY_BUFFER), GLuint(7));
  recording.record(true, glBindBuffer, GLenum(GL_ARRAY_BUFFER), GLuint(3));
  draw();
  recording.record(true, glBindVertexArray, GLuint(2));
  recording.record(true, glBindBuffer, GLenum(GL_ELEMENT_ARRAY_BUFFER), GLuint(8));
  recording.record(true, glBindBuffer, GLenum(GL_ARRAY_BUFFER), GLuint(4)); // one binding for all
  draw();
  // Left out: both texture bindings and both index buffers. Kept: the unit switches, the
  // vertex array switches, the alternating array buffer and the draws.
  EXPECT_EQ(recording.callCount(false), 12u);
  EXPECT_EQ(prunedCount(), 8u);
}

TEST_F(FrameRecordingPruning, AFrameThatWritesThroughMappedMemoryCannotBeReplayedUntilCleared) {
  // Uploads from memory are copied with the call (their size is an argument)...
  const std::vector<BYTE> bytes(16);
  recording.record(false, glBufferSubData, GLenum(GL_ARRAY_BUFFER), GLintptr(0), GLsizeiptr(16), bytes.data());
  recording.record(false, glBufferData, GLenum(GL_ARRAY_BUFFER), GLsizeiptr(16), bytes.data(), GLenum(GL_STREAM_DRAW));
  EXPECT_TRUE(recording.replayable());
  // ...but what is written through a mapped pointer is not seen.
  recording.record(false, glMapBufferRange, GLenum(GL_ARRAY_BUFFER), GLintptr(0), GLsizeiptr(16),
                   GLbitfield(GL_MAP_WRITE_BIT));
  EXPECT_FALSE(recording.replayable());
  recording.clear();
  EXPECT_TRUE(recording.replayable());
  EXPECT_TRUE(recording.empty());
}

// A frame drawn through the device from a vertex buffer, recorded, then painted over and
// replayed: the replay alone must bring the picture back, whole or without its repeated states.
// The back buffer is multisampled, so a present copies it to the shown picture (a single-sampled
// one swaps two textures, which a replay of fixed names does not follow; nothing to read there).
TEST(FrameRecordingReplay, PaintsTheRecordedPictureAgain) {
  GlTestDevice gl;
  PresentParameters parameters;
  parameters.multisample = D3DMULTISAMPLE_4_SAMPLES;
  OPEN_GL_DEVICE_OR_SKIP(gl, parameters);
  IDirect3DDevice9* device = gl.device();
  const RhwVertex quads[12] = {
      {4, 4, 0.5f, 1, 0xFFFF0000},   {28, 4, 0.5f, 1, 0xFFFF0000},  {4, 28, 0.5f, 1, 0xFFFF0000},
      {28, 4, 0.5f, 1, 0xFFFF0000},  {28, 28, 0.5f, 1, 0xFFFF0000}, {4, 28, 0.5f, 1, 0xFFFF0000},
      {16, 16, 0.5f, 1, 0x8000FF00}, {44, 16, 0.5f, 1, 0x8000FF00}, {16, 44, 0.5f, 1, 0x8000FF00},
      {44, 16, 0.5f, 1, 0x8000FF00}, {44, 44, 0.5f, 1, 0x8000FF00}, {16, 44, 0.5f, 1, 0x8000FF00}};
  // Dynamic and filled by every frame, as the labels' vertices are: the replay must upload
  // the frame's own bytes again, not whatever the buffer's memory holds later.
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(sizeof quads, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRhwFvf, D3DPOOL_DEFAULT,
                                       &buffer, nullptr),
            D3D_OK);
  auto fill = [&](const RhwVertex* vertices) {
    void* bytes = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &bytes, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(bytes, vertices, sizeof quads);
    buffer->Unlock();
  };
  d3d9::setStateCaching(device, false);
  auto drawFrame = [&] {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 40), 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    fill(quads);
    device->SetFVF(kRhwFvf);
    device->SetStreamSource(0, buffer, 0, sizeof(RhwVertex));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);
    device->EndScene();
  };
  drawFrame(); // programs and buffers exist before the frame that is recorded
  ASSERT_TRUE(gl.presentAndRead());
  d3d9::GlFrameRecording recording;
  ASSERT_TRUE(d3d9::recordBackendCalls(device, &recording));
  drawFrame();
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  d3d9::recordBackendCalls(device, nullptr);
  ASSERT_TRUE(recording.replayable());
  ASSERT_TRUE(gl.presentAndRead());
  const Rgba red = gl.pixel(8, 8), mixed = gl.pixel(20, 20), green = gl.pixel(40, 40), background = gl.pixel(60, 60);
  ASSERT_EQ(red, (Rgba{255, 0, 0, 255}));
  ASSERT_NE(mixed, red);
  ASSERT_NE(mixed, green);

  RhwVertex blue[12];
  std::memcpy(blue, quads, sizeof quads);
  for (RhwVertex& vertex : blue)
    vertex.diffuse = 0xFF0000FF;
  fill(blue);

  recording.markRepeatedStates();
  EXPECT_LT(recording.callCount(true), recording.callCount(false));
  auto expectRecordedPicture = [&](const char* what) {
    ASSERT_TRUE(gl.readBack());
    EXPECT_EQ(gl.pixel(8, 8), red) << what;
    EXPECT_EQ(gl.pixel(20, 20), mixed) << what;
    EXPECT_EQ(gl.pixel(40, 40), green) << what;
    EXPECT_EQ(gl.pixel(60, 60), background) << what;
  };
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 255, 255), 1.0f, 0);
  ASSERT_TRUE(gl.presentAndRead());
  ASSERT_EQ(gl.pixel(8, 8), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(recording.replay(false), recording.callCount(false));
  expectRecordedPicture("whole");
  // A pruned frame counts on the state a whole one left (the painting over above changed it):
  // the same picture again, blending the same way over a cleared background.
  EXPECT_EQ(recording.replay(true), recording.callCount(true));
  expectRecordedPicture("pruned");
  buffer->Release();
}

} // namespace
