// The standard data formats, object by object as the SDK's: one key per byte of the
// keyboard block; the axes and buttons of the mouse state blocks.
#include <array>

#include "platform/dinput8/dinput.h"

namespace {

constexpr DWORD kOptionalButton = DIDFT_BUTTON | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;
constexpr DWORD kAxis = DIDFT_AXIS | DIDFT_ANYINSTANCE;

constexpr std::array<DIOBJECTDATAFORMAT, 256> keyboardObjects() {
  std::array<DIOBJECTDATAFORMAT, 256> objects{};
  for (DWORD key = 0; key < 256; ++key)
    objects[key] = DIOBJECTDATAFORMAT{&GUID_Key, key, DIDFT_BUTTON | DIDFT_OPTIONAL | DIDFT_MAKEINSTANCE(key), 0};
  return objects;
}

constexpr std::array<DIOBJECTDATAFORMAT, 256> kKeyboardObjects = keyboardObjects();

constexpr DIOBJECTDATAFORMAT kMouseObjects[] = {
    {&GUID_XAxis, DIMOFS_X, kAxis, 0},
    {&GUID_YAxis, DIMOFS_Y, kAxis, 0},
    {&GUID_ZAxis, DIMOFS_Z, kAxis | DIDFT_OPTIONAL, 0},
    {nullptr, DIMOFS_BUTTON0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON1, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON2, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON3, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON4, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON5, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON6, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON7, kOptionalButton, 0},
};

} // namespace

const DIDATAFORMAT c_dfDIKeyboard{
    sizeof(DIDATAFORMAT),   sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, static_cast<DWORD>(kKeyboardObjects.size()),
    kKeyboardObjects.data()};

const DIDATAFORMAT c_dfDIMouse{sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7,
                               kMouseObjects};

const DIDATAFORMAT c_dfDIMouse2{
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE2), 11, kMouseObjects};
