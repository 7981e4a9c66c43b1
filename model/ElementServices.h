#pragma once
// Services of other parts of the system that the elements use: face types, placed
// images, template face records, the template itself, per-element cell colours, and
// the display options the elements read.

#include <cstdint>

namespace corvia {

class FaceType;
class FaceImage;
class TemplatePolygon;
class PolyTemplate;
class CellColorArray;
class PolyElement;

// Face types: how many elements the type holds, its rotation count (how many
// rotations of its faces' own symmetry map a face onto itself), and the type that
// holds the mirror images of its faces (null when none).
int FaceTypeNumFaces(const FaceType* type);
int FaceTypeRotationCount(const FaceType* type);
const FaceType* FaceTypeMirrorType(const FaceType* type);

// Placed images: whether the picture of an element's image has an alpha channel.
bool FaceImageHasAlpha(const FaceImage* image);

// Template face records: the identity word (the record's first word), density,
// colour and circumradius of the face.
uint32_t TemplatePolygonIdFlags(const TemplatePolygon* record);
int TemplatePolygonDensity(const TemplatePolygon* record);
void TemplatePolygonColour(const TemplatePolygon* record, float* rgb);
double TemplatePolygonRadius(const TemplatePolygon* record);

// The template: the distance at which a vertex's dual face lies; whether its faces
// wind once round a vertex with no face through the centre.
double TemplateDualFaceDistance(const PolyTemplate* poly);
bool TemplateIsDensityOne(const PolyTemplate* poly);

// Owner of the per-element cell colour holders.
struct CellColorArrayDeleter {
  void operator()(CellColorArray* colours) const;
};

extern bool GeomagStyle;

// Display options that decide what the elements count as hidden, of the same type or
// translucent. The program keeps them in step with its settings and menus.
struct ElementDisplayOptions {
  // "Hide Edges && Vertices Between Hidden Faces" (Display menu).
  bool hideBetweenHiddenFaces = false;
  // "Maintain Reflexibility" (Options menu): mirror-image types count as one.
  bool maintainReflexibility = false;
  // The construction-toy display style draws every element translucent. The setting
  // itself is GeomagStyle (model/ColorSchemes.h); this names the same flag.
  bool& constructionToyStyle = GeomagStyle;
};
ElementDisplayOptions& GetElementDisplayOptions();

// While a faceting preview is current, element points are coloured by whether their
// dual point lies in the current facet set. The faceting's query is installed with the
// geometry's hooks (PreviewPointOf, stellation/Faceting.h); with none installed no
// preview is current.
enum class FacetPreviewPoint { kNoPreview, kInside, kOutside };
using FacetPreviewQuery = FacetPreviewPoint (*)(const PolyElement* element);
// Installs the query (null: none); returns the previous one.
FacetPreviewQuery SetFacetPreviewQuery(FacetPreviewQuery query);
FacetPreviewPoint GetFacetPreviewPoint(const PolyElement* element);

}  // namespace corvia
