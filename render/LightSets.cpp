#include "render/LightSets.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/Strings.h"
#include "render/GL.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"

namespace corvia {

namespace detail_LightSets {

// The light sets of the installed frame's panes: those the program's commands and
// settings choose among, which come without a pane. A pane lights itself with its own
// frame's sets (the forms that take a group).
ViewGroup& Installed() {
  return CurrentViewGroup();
}

LightSetState& Lights() {
  return Installed().lights;
}

LightSet* Find(const LightSetState& lights, const char* name) {
  for (const auto& set : lights.sets) {
    if (StrCompare(set->GetName().c_str(), name) == 0) return set.get();
  }
  return nullptr;
}

LightSet* Create(LightSetState& lights, const char* name) {
  lights.sets.push_back(std::make_unique<LightSet>(name ? name : ""));
  LightSet* set = lights.sets.back().get();
  if (!lights.current) lights.current = set;
  return set;
}

constexpr const char* kDefaultSet = "Default";
constexpr const char* kRainbowSet = "Rainbow";

LightRecord& AddLight(LightSet* set, unsigned flags, float x, float y, float z, float r, float g, float b,
                      float ambient, float diffuse, float specular) {
  LightRecord& light = set->AddLight();
  light.flags = flags;
  light.position[0] = x;
  light.position[1] = y;
  light.position[2] = z;
  light.color[0] = r;
  light.color[1] = g;
  light.color[2] = b;
  light.ambient = ambient;
  light.diffuse = diffuse;
  light.specular = specular;
  return light;
}

}  // namespace detail_LightSets

LightSetState::LightSetState() = default;
LightSetState::~LightSetState() = default;

void LightRecord::Apply() const {
  if (!glLight) return;
  const GLenum id = glLight;
  auto colourTimes = [this](float factor, GLfloat* out) {
    for (int i = 0; i < 3; ++i) out[i] = color[i] * factor;
    out[3] = 1.0f;
  };
  GLfloat value[4];
  colourTimes(ambient, value);
  glLightfv(id, GL_AMBIENT, value);
  colourTimes(diffuse, value);
  glLightfv(id, GL_DIFFUSE, value);
  colourTimes(specular, value);
  glLightfv(id, GL_SPECULAR, value);
  glLightf(id, GL_CONSTANT_ATTENUATION, attenuation[0]);
  glLightf(id, GL_LINEAR_ATTENUATION, attenuation[1]);
  glLightf(id, GL_QUADRATIC_ATTENUATION, attenuation[2]);
  const GLfloat where[4] = {position[0], position[1], position[2], (flags & kLightDirectional) ? 0.0f : 1.0f};
  glLightfv(id, GL_POSITION, where);
}

void LightSet::AssignGLLights(int maxLights) {
  for (LightRecord& light : mLights) {
    if (light.glLight) continue;
    for (int n = 0; n < maxLights; ++n) {
      const unsigned candidate = GL_LIGHT0 + n;
      bool used = std::any_of(mLights.begin(), mLights.end(), [&](const LightRecord& other) {
        return &other != &light && other.glLight == candidate;
      });
      if (!used) {
        light.glLight = candidate;
        break;
      }
    }
  }
}

LightSet* CreateLightSet(const char* name) { return detail_LightSets::Create(detail_LightSets::Lights(), name); }

LightSet* FindLightSet(const ViewGroup& group, const char* name) { return detail_LightSets::Find(group.lights, name); }
LightSet* FindLightSet(const char* name) { return detail_LightSets::Find(detail_LightSets::Lights(), name); }

LightSet* GetCurrentLightSet(const ViewGroup& group) { return group.lights.current; }
LightSet* GetCurrentLightSet() { return detail_LightSets::Lights().current; }
LightSet* GetPreviousLightSet() { return detail_LightSets::Lights().previous; }

bool SelectLightSet(ViewGroup& group, LightSet* set) {
  LightSetState& lights = group.lights;
  if (!set || set == lights.current) return false;
  lights.previous = lights.current;
  lights.current = set;
  return true;
}

bool SelectLightSet(LightSet* set) { return SelectLightSet(detail_LightSets::Installed(), set); }

int CountLightSets() { return static_cast<int>(detail_LightSets::Lights().sets.size()); }

void FreeLightSets() {
  LightSetState& lights = detail_LightSets::Lights();
  lights.sets.clear();
  lights.current = lights.previous = nullptr;
}

void CreateBuiltInLightSets(ViewGroup& group) {
  using namespace detail_LightSets;
  LightSetState& lights = group.lights;
  if (!lights.sets.empty()) return;
  LightSet* normal = Create(lights, kDefaultSet);
  AddLight(normal, kLightCameraFixed, 4, 2, 1, 1, 1, 1, 0.2f, 0.6f, 1.0f);
  AddLight(normal, kLightCameraFixed, -3, 3, 1, 0.7f, 0.7f, 1, 0.1f, 0.4f, 0.8f);
  LightSet* rainbow = Create(lights, kRainbowSet);
  const unsigned fixedDirectional = kLightCameraFixed | kLightDirectional;
  AddLight(rainbow, fixedDirectional, 0, 1, 1, 1, 0, 0, 0, 1.2f, 0);
  AddLight(rainbow, fixedDirectional, -0.866f, -0.5f, 1, 0, 1, 0, 0, 1.2f, 0);
  AddLight(rainbow, fixedDirectional, 0.866f, -0.5f, 1, 0, 0, 1, 0, 1.2f, 0);
}

void CreateBuiltInLightSets() { CreateBuiltInLightSets(detail_LightSets::Installed()); }

void EnableLights(const ViewGroup& group) {
  const int maxLights = GetGLAbilities().maxLights;
  for (int n = 0; n < maxLights; ++n) glDisable(GL_LIGHT0 + n);
  if (LightSet* set = GetCurrentLightSet(group)) {
    for (const LightRecord& light : set->GetLights()) {
      if (light.glLight) glEnable(light.glLight);
    }
  }
}

void PlaceLights(const ViewGroup& group, bool cameraFixed) {
  LightSet* set = GetCurrentLightSet(group);
  if (!set) return;
  for (const LightRecord& light : set->GetLights()) {
    if (((light.flags & kLightCameraFixed) != 0) == cameraFixed) light.Apply();
  }
}

// ---- Rainbow colours -------------------------------------------------------------------------

unsigned GetRainbowFlags(const ViewGroup& group) { return group.lights.rainbowFlags; }
unsigned GetRainbowFlags() { return GetRainbowFlags(detail_LightSets::Installed()); }

void SetRainbowFlags(unsigned bits, bool on) {
  if (on) {
    detail_LightSets::Lights().rainbowFlags |= bits;
  } else {
    detail_LightSets::Lights().rainbowFlags &= ~bits;
  }
}

bool AreRainbowLightsSelected(const ViewGroup& group) {
  LightSet* current = GetCurrentLightSet(group);
  return current && current == FindLightSet(group, detail_LightSets::kRainbowSet);
}

bool AreRainbowLightsSelected() { return AreRainbowLightsSelected(detail_LightSets::Installed()); }

void SelectRainbowLights(ViewGroup& group, bool on) {
  if (on) {
    SelectLightSet(group, FindLightSet(group, detail_LightSets::kRainbowSet));
  } else if (AreRainbowLightsSelected(group)) {
    LightSet* back = group.lights.previous;
    if (!back || back == GetCurrentLightSet(group)) back = FindLightSet(group, detail_LightSets::kDefaultSet);
    SelectLightSet(group, back);
  }
}

void SelectRainbowLights(bool on) { SelectRainbowLights(detail_LightSets::Installed(), on); }

void SetRainbowColors(bool on) {
  SetRainbowFlags(kRainbowColors, on);
  SelectRainbowLights(on && !(GetRainbowFlags() & kRainbowKeepLights));
  detail_LightSets::Lights().rainbowLightsFlag = on;
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    auto* view = dynamic_cast<OpenGLView*>(v);
    if (view && view->Is3D()) view->Invalidate(true);
  }
}

bool GetRainbowLightsFlag() { return detail_LightSets::Lights().rainbowLightsFlag; }

void SetShininess(float shininess) { glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess); }

void SetSpecularColor(const float* rgb) {
  const GLfloat value[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, value);
}

}  // namespace corvia
