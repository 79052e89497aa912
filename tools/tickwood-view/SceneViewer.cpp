#include "tools/tickwood-view/SceneViewer.h"

#include <cmath>
#include <cstdio>

#include "engine/app/Stopwatch.h"
#include "engine/core/Log.h"
#include "engine/render/DevicePointer.h"
#include "platform/win32/winuser.h"

namespace tools {

namespace {

// Tours run at 10 path units a second, as in the clock room.
constexpr double kTourUnitsPerSecond = 10.0;
// The free camera in the window: units and radians per second.
constexpr float kMoveSpeed = 100.0f;
constexpr float kTurnSpeed = 1.2f;

const char* const kWindowClass = "TickwoodView";

LRESULT viewerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_KEYDOWN:
    if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  case WM_CLOSE:
    // The loop sees the window gone and ends.
    DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool keyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

} // namespace

SceneViewer::~SceneViewer() {
  // Everything that holds device objects goes before the device.
  frame_.view().clear();
  room_.reset();
  engine::publishTextureManager(nullptr);
  textures_.reset();
  engine::publishDevice(nullptr);
  if (device_) device_->Release();
  if (d3d_) d3d_->Release();
  if (ownWindow_ && window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool SceneViewer::open(const ViewerOptions& options, std::string& error) {
  options_ = options;
  eye_ = options.eye;
  D3DXVec3Normalize(&direction_, &options.direction);
  D3DXVec3Normalize(&up_, &options.up);
  if (!openWindow(error) || !openDevice(error)) return false;
  media_.mountLinkedArchive();
  textures_ = std::make_unique<engine::TextureManager>();
  textures_->searchPaths().merge(media_.searchPaths());
  engine::publishTextureManager(textures_.get());
  engine::PropsTree parsed;
  saver::readSceneProperties(media_, properties_, parsed);

  engine::FileLocation location;
  if (!locate(options.file, location)) {
    error = "cannot find " + options.file + " on disk or in the media archive";
    return false;
  }
  room_ = std::make_unique<saver::RoomScene>();
  engine::LogCapture log;
  if (!room_->load(location, "", clock_)) {
    error = "cannot load " + options.file + (log.lines().empty() ? std::string() : ": " + log.lines().back());
    if (!error.empty() && error.back() == '\n') error.pop_back();
    return false;
  }
  for (const std::string& line : log.lines())
    std::fprintf(stderr, "tickwood-view: %s", line.c_str());
  if (!room_->scene().lights().empty()) frame_.view().setLights(&room_->scene().lights());
  if (!options.tour.empty() && !loadTour(error)) return false;
  room_->startAnimations();
  startMs_ = engine::nowMilliseconds();
  return true;
}

bool SceneViewer::openWindow(std::string& error) {
  if (!options_.screenshot.empty()) {
    if (!hidden_.open(options_.width, options_.height, error)) return false;
    window_ = hidden_.handle();
    return true;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = viewerWindowProc;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  RECT frame{0, 0, options_.width, options_.height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  window_ = CreateWindowExA(0, kWindowClass, ("tickwood-view " + options_.file).c_str(), WS_OVERLAPPEDWINDOW,
                            CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                            nullptr, nullptr, nullptr);
  if (!window_) {
    error = "cannot open a window";
    return false;
  }
  ownWindow_ = true;
  ShowWindow(window_, SW_SHOW);
  return true;
}

bool SceneViewer::openDevice(std::string& error) {
  d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d_) {
    error = "no Direct3D (no OpenGL context can be made here)";
    return false;
  }
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = UINT(options_.width);
  p.BackBufferHeight = UINT(options_.height);
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = window_;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  // As fast as the machine draws where the display allows it, else with the display.
  D3DCAPS9 caps{};
  d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
  p.PresentationInterval = (caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE) ? D3DPRESENT_INTERVAL_IMMEDIATE
                                                                                        : D3DPRESENT_INTERVAL_DEFAULT;
  if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device_))) {
    device_ = nullptr;
    error = "cannot make a Direct3D device";
    return false;
  }
  engine::publishDevice(device_);
  return true;
}

bool SceneViewer::locate(const std::string& name, engine::FileLocation& location) const {
  if (engine::diskFileReadable(name)) {
    location = engine::FileLocation::disk(name);
    return true;
  }
  return media_.find(name, location);
}

bool SceneViewer::loadTour(std::string& error) {
  engine::FileLocation location;
  if (!locate(options_.tour, location)) {
    error = "cannot find the tour " + options_.tour;
    return false;
  }
  if (!tour_.load(location)) {
    error = "the tour " + options_.tour + " holds no keys";
    return false;
  }
  hasTour_ = true;
  return true;
}

engine::CameraPose SceneViewer::camera(const double* atSeconds) const {
  engine::CameraPose pose;
  if (hasTour_) {
    float start = 0.0f, end = 0.0f;
    tour_.timeRange(start, end);
    const double seconds = atSeconds ? *atSeconds : double(engine::nowMilliseconds() - startMs_) / 1000.0;
    const double length = double(end - start);
    double t = double(start) + seconds * kTourUnitsPerSecond;
    if (!atSeconds && length > 0.0) t = double(start) + std::fmod(t - double(start), length);
    if (tour_.evaluate(float(t), pose)) return pose;
  }
  pose.eye = eye_;
  pose.direction = direction_;
  pose.up = up_;
  return pose;
}

bool SceneViewer::renderFrame(const double* atSeconds) {
  clock_.update();
  engine::TraversalContext context;
  if (options_.noCulling) context.flags |= engine::kTraverseNoCulling;
  if (atSeconds) {
    context.flags |= engine::kTraverseAtTime;
    context.time = *atSeconds;
  }
  // The room as the saver shows it between lightning flashes, with the lamp steady.
  saver::RoomLight light;
  light.ambient = engine::toColor(properties_.ambient);
  saver::RoomFrameSteps steps;
  steps.scene = [&] { return room_->renderScene(frame_.view(), light, context); };
  return frame_.draw(camera(atSeconds), 0.0f, steps);
}

void SceneViewer::moveCamera(float seconds) {
  D3DXVECTOR3 right;
  D3DXVec3Cross(&right, &up_, &direction_);
  D3DXVec3Normalize(&right, &right);
  const float step = kMoveSpeed * seconds;
  if (keyDown('W') || keyDown(VK_UP)) eye_ += direction_ * step;
  if (keyDown('S') || keyDown(VK_DOWN)) eye_ -= direction_ * step;
  if (keyDown('D')) eye_ += right * step;
  if (keyDown('A')) eye_ -= right * step;
  if (keyDown(VK_PRIOR)) eye_ += up_ * step;
  if (keyDown(VK_NEXT)) eye_ -= up_ * step;
  float turn = 0.0f;
  if (keyDown(VK_RIGHT)) turn += kTurnSpeed * seconds;
  if (keyDown(VK_LEFT)) turn -= kTurnSpeed * seconds;
  if (turn != 0.0f) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &up_, turn);
    D3DXVec3TransformNormal(&direction_, &direction_, &rotation);
    D3DXVec3Normalize(&direction_, &direction_);
  }
}

int SceneViewer::runWindowed() {
  engine::Stopwatch run;
  std::int64_t last = engine::nowMilliseconds();
  bool quit = false;
  while (!quit) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (quit || !IsWindow(window_)) break;
    const std::int64_t now = engine::nowMilliseconds();
    moveCamera(float(now - last) / 1000.0f);
    last = now;
    const double* at = options_.atTime ? &options_.atSeconds : nullptr;
    if (!renderFrame(at)) {
      std::fprintf(stderr, "tickwood-view: a frame could not be drawn\n");
      return 1;
    }
    if (options_.seconds > 0 && double(run.elapsedMs()) >= options_.seconds * 1000.0) break;
  }
  window_ = IsWindow(window_) ? window_ : nullptr;
  return 0;
}

} // namespace tools
