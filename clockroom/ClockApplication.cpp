#include "clockroom/ClockApplication.h"

#include "engine/core/Log.h"
#include "platform/win32/winbase.h"
#include "platform/win32/winreg.h"

namespace saver {
namespace {

// Where the free camera starts: standing in the room, looking along +X towards the clock.
engine::CameraPose freeCameraStart() {
  engine::CameraPose pose;
  pose.eye = D3DXVECTOR3(-200.0f, 100.0f, 0.0f);
  pose.direction = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
  pose.up = D3DXVECTOR3(0.0f, 0.0f, 1.0f); // the room's world has Z up
  return pose;
}

} // namespace

ClockApplication::ClockApplication()
    : tours_([this](const std::string& name, engine::CameraPath& path) { return readTour(name, path); }),
      viewCamera_(freeCameraStart()) {
  placeFreeCamera(viewCamera_);
  setOverlays(&overlays_);
}

ClockApplication::~ClockApplication() { releaseScene(); }

void ClockApplication::releaseScene() {
  if (sceneBuffersListening_) removeResourceListener(&room_.scene().bufferPool());
  sceneBuffersListening_ = false;
  frame_.view().clear();
  frame_.view().setLights(nullptr);
  room_.release();
}

bool ClockApplication::readTour(const std::string& name, engine::CameraPath& path) const {
  // Through the media, so that a Media folder can add or replace tours.
  return path.load(media_.locate(name));
}

bool ClockApplication::loadScene() {
  // The first tour is chosen (with the first rand() of the run) before the room loads.
  tours_.setTourNames(sceneProperties_.tourNames);
  tours_.startFirstTour();
  sounds_.start(window_);
  const audio::SoundSettings soundSettings{settings_.music, settings_.sound, settings_.volume};
  sounds_.decodeAhead(media_, soundSettings);
  // A run stopped now ends without the room (see finishStartUpStep).
  if (!finishStartUpStep("sound library")) return true;
  if (!room_.load(media_.locate("/clock.udf"), settings_.photoPath, clockMechanism_)) {
    engine::logLine("Cannot load clock.udf\n");
    return false;
  }
  if (!finishStartUpStep("room file and textures")) return true;
  engine::Scene& scene = room_.scene();
  if (!scene.lights().empty()) frame_.view().setLights(&scene.lights());
  // The room's buffers are released and made again around a reset of the device.
  addResourceListener(&scene.bufferPool());
  sceneBuffersListening_ = true;
  weather_.setNormalRamp(toD3DGammaRamp(makeGammaRamp(settings_.gamma)));
  placeFreeCamera(freeCameraStart());
  weather_.start();
  sounds_.loadSounds(media_, soundSettings, room_.clockFacePosition());
  finishStartUpStep("sounds");
  weather_.setThunderEnabled(sounds_.thunderLoaded());
  room_.startAnimations();
  weather_.restartFlicker();
  sounds_.restartFadeIn();
  tours_.restartClock();
  return true;
}

bool ClockApplication::updateScene() {
  sounds_.update(viewCamera_);
  clockMechanism_.update();
  weather_.update(*this);
  return true;
}

bool ClockApplication::renderScene() {
  RoomLight light;
  light.flash = weather_.flash();
  light.flicker = weather_.flicker();
  light.ambient = engine::toColor(sceneProperties_.ambient);
  return room_.renderScene(frame_.view(), light, engine::TraversalContext{});
}

void ClockApplication::renderFrame() {
  engine::CameraPose tourPose;
  bool tourChanged = false;
  if (tours_.step(tourPose, tourChanged)) {
    viewCamera_ = tourPose;
    // The free camera takes over from where each tour ended.
    if (tourChanged) placeFreeCamera(tourPose);
  } else {
    viewCamera_ = freeCamera();
  }
  RoomFrameSteps steps;
  steps.scene = [this] { return renderScene(); };
  steps.gui = [this] { drawGui(); };
  frame_.draw(viewCamera_, tours_.fadeOpacity(), steps);
}

engine::CameraPose ClockApplication::freeCamera() {
  const engine::FreeCameraController& camera = freeCameraController();
  return engine::CameraPose{camera.eye(), camera.direction(), camera.up()};
}

void ClockApplication::placeFreeCamera(const engine::CameraPose& pose) {
  freeCameraController().place(pose.eye, pose.direction, pose.up);
}

void ClockApplication::setGammaRamp(const D3DGAMMARAMP& ramp) {
  if (device_) device_->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
}

void ClockApplication::playThunder(int clap) { sounds_.playThunder(clap); }

void ClockApplication::shutdownAudio() { sounds_.shutdown(); }

void ClockApplication::readSceneExtras(const engine::PropsTree& properties) {
  weatherTiming_.quietTime = properties.getInt("QuietTime", weatherTiming_.quietTime);
  weatherTiming_.winkTime = properties.getInt("WinkTime", weatherTiming_.winkTime);
  weather_.setTiming(weatherTiming_);
}

bool ClockApplication::loadSettings() {
  readPhotoPath(settings_.photoPath);
  return SaverApplication::loadSettings();
}

INT_PTR ClockApplication::settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  pictureDialog_.handleMessage(window, message, wParam, lParam);
  return SaverApplication::settingsDialogProc(window, message, wParam, lParam);
}

bool ClockApplication::saveSettings() {
  // One write of the settings file for every value: a run killed while saving leaves the old
  // settings or the new ones, never some of each.
  win32::RegistryBatch batch;
  // The other values are written even when the photo's could not be.
  const bool photoWritten = writePhotoPath(settings_.photoPath);
  const bool othersWritten = SaverApplication::saveSettings();
  return batch.commit() == ERROR_SUCCESS && photoWritten && othersWritten;
}

} // namespace saver
