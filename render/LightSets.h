#pragma once
// Named sets of lights. One set is current (and the one before it remembered);
// its lights are the ones enabled when a view sets its viewing matrix. A light
// fixed to the camera moves with the viewer; the others stay with the model.

#include <string>
#include <vector>

namespace corvia {

struct ViewGroup;

constexpr unsigned kLightDirectional = 0x1;
constexpr unsigned kLightCameraFixed = 0x2;

struct LightRecord {
  unsigned glLight = 0;  // GL_LIGHTn, 0 while the light has none
  unsigned flags = 0;
  float position[3] = {3, 1, 2};
  float color[3] = {1, 1, 1};
  float ambient = 0.2f;
  float diffuse = 0.9f;
  float specular = 1.0f;
  float attenuation[3] = {1, 0, 0};  // constant, linear, quadratic

  // Colours, attenuation and position of the GL light (position through the
  // model-view matrix in use).
  void Apply() const;
};

class LightSet {
public:
  explicit LightSet(std::string name) : mName(std::move(name)) {}
  const std::string& GetName() const { return mName; }
  LightRecord& AddLight() { return mLights.emplace_back(); }
  std::vector<LightRecord>& GetLights() { return mLights; }
  const std::vector<LightRecord>& GetLights() const { return mLights; }
  // Gives every light without one the lowest GL light number that no other light
  // of this set uses, below maxLights; a light left without one stays off.
  void AssignGLLights(int maxLights);

private:
  std::string mName;
  std::vector<LightRecord> mLights;
};

// Each frame has its own sets (ViewGroup::lights): a pane lights itself with its
// frame's, given as the group. The forms without a group act on the installed frame's,
// for the program's commands and settings, which come without a pane.

// The first set made becomes the current one.
LightSet* CreateLightSet(const char* name);
// By name; a null name finds none.
LightSet* FindLightSet(const ViewGroup& group, const char* name);
LightSet* FindLightSet(const char* name);
LightSet* GetCurrentLightSet(const ViewGroup& group);
LightSet* GetCurrentLightSet();
LightSet* GetPreviousLightSet();
// Makes a set current, remembering the one before; false when nothing changed.
bool SelectLightSet(ViewGroup& group, LightSet* set);
bool SelectLightSet(LightSet* set);
int CountLightSets();
void FreeLightSets();
// The "Default" and "Rainbow" sets, made when no set exists yet.
void CreateBuiltInLightSets(ViewGroup& group);
void CreateBuiltInLightSets();

// Disables GL lights 0 to GL_MAX_LIGHTS - 1, then enables those of the frame's current set.
void EnableLights(const ViewGroup& group);
// Applies the camera-fixed lights (true) or the others (false) of the frame's current set.
void PlaceLights(const ViewGroup& group, bool cameraFixed);

// The rainbow colour mode of a frame's panes: flag bit 0 rainbow colours on, bit 1 keep
// the normal lights. A pane draws by its own frame's flags (the form with the group).
constexpr unsigned kRainbowColors = 0x1;
constexpr unsigned kRainbowKeepLights = 0x2;
unsigned GetRainbowFlags(const ViewGroup& group);
unsigned GetRainbowFlags();
void SetRainbowFlags(unsigned bits, bool on);
// The "Rainbow" set (on) or the set before it (off).
void SelectRainbowLights(ViewGroup& group, bool on);
void SelectRainbowLights(bool on);
bool AreRainbowLightsSelected(const ViewGroup& group);
bool AreRainbowLightsSelected();
// Color > Rainbow Color Mode: marks every 3D view for redraw.
void SetRainbowColors(bool on);
bool GetRainbowLightsFlag();

void SetShininess(float shininess);
void SetSpecularColor(const float* rgb);

// The stencil steps around faces drawn in one plane: 1 mark, 2 keep, 3 draw through
// the mask (clearing it), 4 finish. Nested uses each take their own stencil bit.
constexpr int kStencilMark = 1;
constexpr int kStencilKeep = 2;
constexpr int kStencilClear = 3;
constexpr int kStencilFinish = 4;
void PrepareCoplanarStencil(int step);
int GetCoplanarStencilDepth();
// The step of the innermost level (0 outside any).
int GetCoplanarStencilStep();

}  // namespace corvia
