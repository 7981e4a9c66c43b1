#pragma once
// The display settings of the model drawing: what is drawn on the faces, how big
// points and lines are, spheres and cylinders, the coplanar stencil, and the sizes
// of labels. The program loads them with its settings ("ShowVerts", "VertSize", ...)
// and its menus change them; the drawing only reads them.

#include <cstdint>

#include "render/GLText.h"

namespace corvia {

class Poly;

struct ModelDrawSettings {
  bool showVerts = false;      // "ShowVerts": the model's vertices drawn (on its faces too)
  bool showEdges = false;      // "ShowEdges"
  bool showStelVerts = false;  // "ShowStelVerts": the vertices of the stellation's facelet model
  bool showStelEdges = false;  // "ShowStelEdges"
  // "SpheresAndCylinders": vertices as spheres and edges as cylinders (each while its
  // own option is on); then nothing of them is drawn on the faces.
  bool spheresAndCylinders = false;
  bool vertexSpheres = true;   // the sphere option of the "Sphere and Cylinder Options"
  bool edgeCylinders = true;   // the cylinder option
  int sphereRadBasedOn = 0;    // "SphereRadBasedOn": see GetSphereRadius
  double sphereRad = 0.4;      // "SphereRad"
  double cylinderRad = 0.7;    // "CylinderRad"
  int sphereMaterial = 2;      // "SphereMaterial": 1 draws each sphere in its vertex's colour
  int cylinderMaterial = 3;    // "CylinderMaterial": 1 draws each cylinder in its edge's colour
  float vertSize = 3.0f;       // "VertSize": point size in pixels
  float edgeWidth = 1.0f;      // "EdgeWidth": line width in pixels
  bool useStencil = true;      // "UseStencil": coplanar faces through the stencil buffer
  bool showCellLines = false;  // "Show Cell Lines": the facet edges drawn on the faces
  // "Show Vertex Angles": the selected vertex shows the angles of its edges and faces.
  bool showVertexAngles = false;
  // Raised while printing and exporting images so that points and lines keep their
  // size at the higher resolution; every point size and line width is the setting
  // times its factor.
  float pointSizeFactor = 1.0f;
  float lineWidthFactor = 1.0f;
  // Label sizes: the mode of GetLabelSize and a factor on its result.
  int labelSizeMode = 0;
  double labelSizeFactor = 1.0;
  // The height of a label of size 1 in model units (the size of the font set-up).
  double labelFontSize = 0.05;
  // The text mode word of labels (DrawGLText's modes): the placement in the low four
  // bits (3: facing the viewer, moved towards it by half the edge or the element's
  // radius), and the turns that keep it readable: an edge's or vertex's text stands
  // across the surface, so it turns to face the eye rather than read mirrored from the
  // side it faces away from.
  uint32_t labelTextMode = kTextFaceEye;
  // The text mode word of face labels: lying flat on the face and centred on it (1),
  // turned half round when it would read upside down (0x200), so that a face's text
  // reads from outside as it does in the face's net.
  uint32_t faceLabelTextMode = 0x201;
};

ModelDrawSettings& GetModelDrawSettings();

// Spheres (cylinders) are used when their option and "SpheresAndCylinders" are on.
bool UsingVertexSpheres();
bool UsingEdgeCylinders();

// "VertSize" and "EdgeWidth" times their factors.
float GetVertexPointSize();
float GetEdgeLineWidth();

// Sizes of labels and spheres for a block (isDual) of the model: edgeLength is the
// block's mean edge length; count the number of elements (negative: vertices plus
// faces); the base and dual values serve the modes that take them (a value not above
// 0 stands for none). Drawers pass -1 and -1.0 for count and values.
//
// GetSphereRadius, by "SphereRadBasedOn", is the base radius times "SphereRad" times
// the model's display scale: 0 gives 1 / sqrt(n) (n the count, 30 when there is
// none), 1 the edge length, 2 the base value (else 1.0) for the base or the dual
// value (else the model's radius) for the dual, 3 one over the distance-unit factor.
double GetSphereRadius(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue);
// The cylinder radius c = sphere radius r times "CylinderRad"; the joint, when asked
// for, is the distance from a sphere's centre at which a cylinder of radius c enters
// the sphere of radius 0.95 r (0 when c is not thinner than that sphere).
double GetSphereJointRadius(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue,
                            double* joint);
// By the label-size mode, times the label factor: 0 gives 1.0, 1 gives 10 / sqrt(n),
// 2 twice the edge length, 3 the base value (else 1.0) for the base or the dual value
// (else the model's radius) for the dual; any other mode the dual value.
double GetLabelSize(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue);

}  // namespace corvia
