#include "ui/CommandTable.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "core/OperationGuard.h"
#include "ui/CommandIds.h"

namespace corvia {

namespace detail_CommandTable {

constexpr unsigned C = kCommandCheck;
constexpr unsigned R = kCommandRadio;
constexpr unsigned OUT = kCommandTakenOut;

// A separator inside the popup that the path names.
CommandInfo Sep(const char* popup) {
  return {kCommandSeparator, popup, "", "", 0};
}

std::vector<CommandInfo> MakeTable() {
  return {
      // ---- File ----
      {32785, "&File > Polyhedron List...", "Ctrl+N", "list", 0},
      Sep("&File"),
      {57601, "&File > &Open...", "Ctrl+O", "open", 0},
      {57603, "&File > &Save", "Ctrl+S", "save", 0},
      {57604, "&File > Save &As...", "", "saveas", 0},
      Sep("&File"),
      {33059, "&File > Export Image...", "X", "", 0},
      {kCmdExportMetricData, "&File > Export Metric Data...", "", "", 0},
      {32981, "&File > 3D Export... > Export GEOM...", "", "", OUT},
      {33547, "&File > Export Shapes to Kestrune...", "", "", OUT},
      {33545, "&File > Export Category to Kestrune...", "", "", OUT},
      Sep("&File"),
      {57609, "&File > &Print...", "Ctrl+P", "print", 0},
      {57606, "&File > Print Set&up...", "", "", 0},
      Sep("&File"),
      {57616, "&File > Recent File", "", "", OUT},
      Sep("&File"),
      {kCmdAppExit, "&File > E&xit", "", "", 0},

      // ---- Edit ----
      {57643, "&Edit > &Undo", "Ctrl+Z", "undo", 0},
      {57644, "&Edit > &Redo", "Ctrl+Y", "redo", 0},
      Sep("&Edit"),
      {33184, "&Edit > Base Name...", "", "", 0},
      {33185, "&Edit > Dual Name...", "", "", 0},
      {33125, "&Edit > Comments...", "", "", 0},
      Sep("&Edit"),
      {kCmdScaleBaseRadius, "&Edit > Scale > Radius...", "", "", 0},
      {kCmdScaleMidradius, "&Edit > Scale > Midradius...", "", "", 0},
      {kCmdScaleBaseSurfaceArea, "&Edit > Scale > Surface Area...", "", "", 0},
      {kCmdScaleBaseVolume, "&Edit > Scale > Volume...", "", "", 0},
      Sep("&Edit > Scale"),
      {kCmdScaleDualRadius, "&Edit > Scale > Dual Radius...", "", "", 0},
      {kCmdScaleDualInradius, "&Edit > Scale > Dual Inradius...", "", "", 0},
      {kCmdScaleDualSurfaceArea, "&Edit > Scale > Dual Surface Area...", "", "", 0},
      {kCmdScaleDualVolume, "&Edit > Scale > Dual Volume...", "", "", 0},
      Sep("&Edit"),
      {33264, "&Edit > Text for Face/Edge/Vertex...", "Ctrl+T", "", 0},
      {33460, "&Edit > Load Text List > On to Faces...", "", "", 0},
      {33461, "&Edit > Load Text List > On to Edges...", "", "", 0},
      {33462, "&Edit > Load Text List > On to Vertices...", "", "", 0},
      Sep("&Edit > Load Text List"),
      {33463, "&Edit > Load Text List > Persistent", "", "", C},
      {33464, "&Edit > Save Text List > From Faces...", "", "", 0},
      {33465, "&Edit > Save Text List > From Edges...", "", "", 0},
      {33466, "&Edit > Save Text List > From Vertices...", "", "", 0},
      {33516, "&Edit > Remove Text...", "", "", 0},
      {33458, "&Edit > Text Options...", "", "", 0},

      // ---- View ----
      {32772, "&View > View Models > Base Polyhedron", "", "base", R},
      {32773, "&View > View Models > Dual Polyhedron", "", "dual", R},
      {32774, "&View > View Models > Base + Dual", "", "compound", R},
      {32797, "&View > View Models > Base Stellation", "", "basestel", R},
      {32798, "&View > View Models > Dual Stellation", "", "dualstel", R},
      {33104, "&View > View Models > Preview Faceting", "", "previewfacet", R},
      {33105, "&View > View Models > Compound", "", "", R | OUT},
      {32812, "&View > View Models > View Polyhedral Fractal", "", "", R | OUT},
      {32834, "&View > View Diagrams > Face", "", "face", R},
      {32870, "&View > View Diagrams > Stellation Face", "", "stelface", R},
      {32836, "&View > View Diagrams > Stellation Diagram", "", "steldiagram", R},
      {32838, "&View > View Diagrams > Cell Diagram", "", "celldiagram", R},
      {32833, "&View > View Diagrams > Vertex Figure", "", "vertexfigure", R},
      {33130, "&View > View Diagrams > Faceting Diagram", "", "facetdiagram", R},
      {33315, "&View > View Diagrams > Cross-Section", "", "crosssection", R},
      {32840, "&View > View Nets > Unfolded Net", "", "unfoldednet", R},
      {32883, "&View > View Nets > Folding Net", "", "foldingnet", R},
      {32782, "&View > View Duals Morphing > By Sizing", "", "morphsize", R},
      {32781, "&View > View Duals Morphing > By Truncation", "", "morphtruncate", R},
      {32783, "&View > View Duals Morphing > By Augmentation", "", "morphaugment", R},
      {32947, "&View > View Duals Morphing > By Expansion", "", "morphexpand", R},
      {32948, "&View > View Duals Morphing > By Tilting Quads", "", "morphquads", R},
      {33154, "&View > View Duals Morphing > By Tilting Triangles", "", "morphtriangles", R},
      {33499, "&View > View Duals Morphing > By Tilting to Compound", "", "morphcompound", R},
      {33500, "&View > View Duals Morphing > By Tilting to Rectify", "", "morphrectify", R},
      {33501, "&View > View Duals Morphing > Via Snub", "", "", R | OUT},
      Sep("&View"),
      {32832, "&View > Choose Layout...", "Ctrl+1-6", "layout", kCommandAccelShownOnly},
      {32826, "", "Ctrl+1", "", kCommandKeyOnly},
      {32827, "", "Ctrl+2", "", kCommandKeyOnly},
      {32828, "", "Ctrl+3", "", kCommandKeyOnly},
      {32829, "", "Ctrl+4", "", kCommandKeyOnly},
      {32830, "", "Ctrl+5", "", kCommandKeyOnly},
      {32831, "", "Ctrl+6", "", kCommandKeyOnly},
      {32956, "&View > Toolbars > Show Main Toolbar", "", "", C},
      {33481, "&View > Toolbars > Show Tour Toolbar", "", "", C},
      {33103, "&View > Toolbars > Show Option Toolbar", "", "", C},
      {33084, "&View > Toolbars > Show Mode Toolbar", "", "", C},
      {32955, "&View > Toolbars > Show View-Type Toolbar", "", "", C},
      {32963, "&View > Model Info", "", "info", C},
      Sep("&View"),
      {kCmdUseDefaultCamera, "&View > Camera > Use Default Camera", "", "", 0},
      {kCmdOrthogonalView, "&View > Orthogonal View", "", "", C},
      {kCmdRotateAroundX, "&View > Orientation > Rotate Around X Axis", "", "", 0},
      {kCmdRotateAroundY, "&View > Orientation > Rotate Around Y Axis", "", "", 0},
      {kCmdRotateAroundZ, "&View > Orientation > Rotate Around Z Axis (Twist)", "", "", 0},

      // ---- Poly ----
      {32791, "&Poly > Previous Polyhedron", "Ctrl+Left Arrow", "prev", 0},
      {32792, "&Poly > Next Polyhedron", "Ctrl+Right Arrow", "next", 0},
      {33352, "&Poly > Try to Make Faces Regular", "", "", 0},
      Sep("&Poly"),
      {33008, "&Poly > Augment Polyhedron...", "", "augment", 0},
      {33151, "&Poly > Put Models on Faces/Vertices...", "", "putmodels", 0},
      {33152, "&Poly > Create X x Y x Z Block...", "", "block", 0},
      {kCmdDeleteOnePartOfCompound, "&Poly > Delete One Part of Compound", "", "deletepart", 0},
      {kCmdSubdivideFaces, "&Poly > Subdivide Faces...", "", "", 0},
      {kCmdGeodesicSphere, "&Poly > Create Geodesic Sphere...", "", "", 0},
      {kCmdCreateTorus, "&Poly > Create Torus...", "", "", 0},
      {kCmdCreateWaterman, "&Poly > Create Waterman Polyhedron...", "", "", 0},
      {kCmdZonohedrify, "&Poly > Zonohedrify...", "", "", 0},
      {kCmdCreateConvexHull, "&Poly > Create Convex Hull", "", "", 0},
      {kCmdCreateConvexCore, "&Poly > Create Convex Core", "", "", 0},
      Sep("&Poly"),
      {kCmdAddMirrorImage, "&Poly > Add Mirror Image", "", "", 0},
      {kCmdAddBaseAndDual, "&Poly > Add Base Model and Dual", "", "", 0},
      {kCmdStoreInMemory, "&Poly > Memory > Store in Memory...", "", "", 0},
      {kCmdRetrieveFromMemory, "&Poly > Memory > Retrieve from Memory...", "", "", 0},
      {kCmdSwapWithMemory, "&Poly > Memory > Swap with Memory...", "", "", 0},
      Sep("&Poly > Memory"),
      {kCmdAddFromMemory, "&Poly > Memory > Add from Memory...", "", "", 0},
      {kCmdBlendWithMemory, "&Poly > Memory > Blend with Memory...", "", "", 0},
      Sep("&Poly"),
      {32776, "&Poly > Add One Vertex At A Time", "", "", C | OUT},
      {32777, "&Poly > Add Vertex", "", "", OUT},
      {32779, "&Poly > Remove Vertex", "", "", OUT},
      {32780, "&Poly > Go to Variation", "", "", 0},
      {33417, "&Poly > Centre for Reciprocation > Use Canonical Reciprocation Centre", "", "", OUT},

      // ---- Selection ----
      {32869, "&Selection > Select None", "N", "", 0},
      {32930, "&Selection > Select Face by Index...", "Ctrl+F", "", 0},
      {33442, "&Selection > Select Edge by Index...", "Ctrl+E", "", 0},
      {33136, "&Selection > Select Vertex by Index...", "Ctrl+V", "", 0},
      {32931, "&Selection > Select Next Face Type", "Shift+Right Arrow", "", 0},
      {32932, "&Selection > Select Previous Face Type", "Shift+Left Arrow", "", 0},
      Sep("&Selection"),
      {32937, "&Selection > Mouse Selection Mode > Select Faces/Vertices", "Esc", "select", R},
      {32945, "&Selection > Mouse Selection Mode > Identification Mode", "", "identify", R},
      {32938, "&Selection > Mouse Selection Mode > Cut/Uncut Edges", "", "cutedges", R},
      {32939, "&Selection > Mouse Selection Mode > Measurement Mode", "", "measure", R},
      {32940, "&Selection > Mouse Selection Mode > Faceting Mode", "", "faceting", R},
      {33175, "&Selection > Mouse Selection Mode > Color/Hide Faces", "", "colorhide", R},
      {33186, "&Selection > Mouse Selection Mode > Image Mode", "", "imagemode", R},
      {33384, "&Selection > Mouse Selection Mode > Cross-section Tumble Mode", "", "tumble", R},
      {33382, "&Selection > Mouse Selection Mode > 4D Tumble Mode", "", "", R | OUT},

      // ---- Color ----
      {32983, "&Color > Rainbow Color Mode", "Shift+R", "rainbow", C},
      Sep("&Color"),
      {33116, "&Color > Replace Face Color Throughout...", "C", "replacecolor", 0},
      {33117, "&Color > Replace Back-Face Color Throughout...", "B", "", 0},
      {32879, "&Color > Set Face-Type Color...", "Shift+C", "facetypecolor", 0},
      {32984, "&Color > Set Single Face Color...", "Ctrl+C", "singlecolor", 0},
      {33114, "&Color > Set All Face Colors...", "Ctrl+Shift+C", "allcolors", 0},
      {32908, "&Color > Set Back-Face-Type Color...", "Shift+B", "", 0},
      {32985, "&Color > Set Single Back-Face Color...", "Ctrl+B", "", 0},
      {33115, "&Color > Set All Back-Face Colors...", "Ctrl+Shift+B", "", 0},
      {33301, "&Color > Take Color from Neighbouring Faces", "", "", 0},
      {33153, "&Color > Set Color of One Part in Compound...", "", "", 0},
      {33171, "&Color > Previous Color", "", "", OUT},
      {33170, "&Color > Next Color", "", "", OUT},
      {33319, "&Color > Color Along 4D Projection Axis", "", "", OUT},
      {33274, "&Color > Macro Sphere L Color...", "", "", OUT},
      {33272, "&Color > Micro Sphere S Color...", "", "", OUT},
      Sep("&Color"),
      {32898, "&Color > Set Background Color...", "G", "", 0},
      Sep("&Color"),
      {33131, "&Color > Basic Color Scheme > Toggle Single/Auto Color Modes", "Tab", "", 0},
      Sep("&Color > Basic Color Scheme"),
      {32910, "&Color > Basic Color Scheme > Auto Color", "", "", R},
      {32788, "&Color > Basic Color Scheme > Use a Single Color", "", "", R},
      {32787, "&Color > Basic Color Scheme > Color Faces by Number of Sides", "", "", R},
      {32786, "&Color > Basic Color Scheme > Color by Face Type", "", "", R},
      {33320, "&Color > Basic Color Scheme > Color Along Cross-Section Direction", "", "", R},
      {32986, "&Color > Basic Color Scheme > Color per Face (Unless Parallel)", "", "", R},
      Sep("&Color > Basic Color Scheme"),
      {33138, "&Color > Basic Color Scheme > Same Color for Chiral Face Pairs", "", "", C},
      {33139, "&Color > Basic Color Scheme > Same Color for Coplanar Faces", "", "", C},
      {33140, "&Color > Basic Color Scheme > Same Color for Coplanar Chiral Pairs", "", "", C},
      {33141, "&Color > Basic Color Scheme > Same Color for Front and Back of Faces", "", "", C},
      {32992, "&Color > Special Color Arrangements > Dodecahedral Arrangement 1 (4 colors)", "", "", C},
      {32993, "&Color > Special Color Arrangements > Dodecahedral Arrangement 2 (6 colors)", "", "", C},
      Sep("&Color > Special Color Arrangements"),
      {32988, "&Color > Special Color Arrangements > Icosahedral Arrangement 1 (5 colors)", "", "", C},
      {32989, "&Color > Special Color Arrangements > Icosahedral Arrangement 2 (5 colors)", "", "", C},
      {32994, "&Color > Special Color Arrangements > Icosahedral Arrangement 3 (10 colors)", "", "", C},
      Sep("&Color > Special Color Arrangements"),
      {32990, "&Color > Special Color Arrangements > Rhombic Triacontahedral Arr 1 (5 colors)", "", "", C},
      {32995, "&Color > Special Color Arrangements > Rhombic Triacontahedral Arr 2 (15 colors)", "", "", C},
      Sep("&Color > Special Color Arrangements"),
      {32998, "&Color > Special Color Arrangements > Cubic Arrangement (3 colors)", "", "", C},
      {32999, "&Color > Special Color Arrangements > Octahedral Arrangement (4 colors)", "", "", C},
      Sep("&Color > Special Color Arrangements"),
      {32991, "&Color > Special Color Arrangements > Rhombic Dodecahedral Arr 1 (3 colors)", "", "", C},
      {32996, "&Color > Special Color Arrangements > Rhombic Dodecahedral Arr 2 (4 colors)", "", "", C},
      {32997, "&Color > Special Color Arrangements > Rhombic Dodecahedral Arr 3 (6 colors)", "", "", C},
      {33199, "&Color > Stellation Diagram Color Scheme > Color Per Front/Back/Internal", "", "", R},
      {32866, "&Color > Stellation Diagram Color Scheme > Color Per Front/Back", "", "", R},
      {32799, "&Color > Stellation Diagram Color Scheme > Color Per Facet", "", "", R},
      {32800, "&Color > Stellation Diagram Color Scheme > Color Per Chiral Pair", "", "", R},
      {32801, "&Color > Stellation Diagram Color Scheme > Color Per 2D Layer", "", "", R},
      {32811, "&Color > Stellation Diagram Color Scheme > Color Per 3D Layer", "", "", R},

      // ---- Display ----
      {32935, "&Display > Vertex & Edge Options > Show Vertices", "V", "vertices", C},
      {32936, "&Display > Vertex & Edge Options > Show Edges", "E", "edges", C},
      {kCmdShowStellationVertices, "&Display > Vertex & Edge Options > Show Stellation Vertices", "Shift+V", "", C},
      {kCmdShowStellationEdges, "&Display > Vertex & Edge Options > Show Stellation Edges", "Shift+E", "", C},
      {33157, "&Display > Vertex & Edge Options > Use Spheres and Cylinders...", "", "spheres", C},
      Sep("&Display > Vertex & Edge Options"),
      {33080, "&Display > Vertex & Edge Options > Size for Drawing Vertices...", "", "", 0},
      {33079, "&Display > Vertex & Edge Options > Default Vertex Color...", "", "", 0},
      {33444, "&Display > Vertex & Edge Options > Color Vertices Same as Dual Face", "", "", C},
      Sep("&Display > Vertex & Edge Options"),
      {33060, "&Display > Vertex & Edge Options > Line Width for Edges...", "", "", 0},
      {33061, "&Display > Vertex & Edge Options > Default Edge Color...", "", "", 0},
      Sep("&Display > Vertex & Edge Options"),
      {33445, "&Display > Vertex & Edge Options > Color All Edges the Same", "", "", R},
      {33446, "&Display > Vertex & Edge Options > Color Edges by Type (including reflections)", "", "", R},
      {33447, "&Display > Vertex & Edge Options > Color Edges by Type (excluding reflections)", "", "", R},
      {33448, "&Display > Vertex & Edge Options > Color Edges Same if Parallel", "", "", R},
      {33449, "&Display > Vertex & Edge Options > Color Edges by Great Circles", "", "", R},
      {33495, "&Display > Vertex & Edge Options > Color Edges from Neighbouring Faces", "", "", R},
      {33496, "&Display > Vertex & Edge Options > Color Edges from Neighbouring Faces (complement)", "", "", R},
      Sep("&Display"),
      {32850, "&Display > Show Symmetry Axes", "S", "axes", C},
      {33074, "&Display > Show Reflection Planes", "R", "planes", C},
      {kCmdShowReflectionNormals, "&Display > Show Reflection Plane Normals", "", "", C},
      {kCmdShowMidsphere, "&Display > Show Midsphere/Reciprocation Sphere", "", "", C},
      {kCmdShowSphereIntersections, "&Display > Show Intersections with Spheres...", "", "", C},
      {33275, "&Display > Show Macro Sphere", "", "", C | OUT},
      {33268, "&Display > Show Micro Sphere", "", "", C | OUT},
      {33122, "&Display > Show Cell Lines", "", "celllines", C},
      Sep("&Display"),
      {33113, "&Display > Show/Hide Faces of Selected Color", "H", "", 0},
      {32926, "&Display > Show/Hide Selected Face", "Ctrl+H", "", 0},
      {32927, "&Display > Show/Hide Faces of Selected Type", "Shift+H", "", 0},
      {32928, "&Display > Show/Hide All Faces", "Ctrl+Shift+H", "", 0},
      {32929, "&Display > Toggle Shown/Hidden Faces", "Ctrl+Shift+T", "", 0},
      {33365, "&Display > Show/Hide Faces in Selected Plane", "", "", 0},
      {33369, "&Display > Show/Hide One Part of Compound", "", "", 0},
      {33076, "&Display > Show/Hide Faces Around Vertex...", "Ctrl+Shift+V", "", 0},
      Sep("&Display"),
      {32804, "&Display > 3D Stereo Display > Don't Display in Stereo", "Esc", "", R | kCommandAccelShownOnly},
      {32805, "&Display > 3D Stereo Display > Parallel-Eyed Stereo", "", "", R},
      {32806, "&Display > 3D Stereo Display > Cross-Eyed Stereo", "", "", R},
      {33475, "&Display > 3D Stereo Display > Stereo Glasses: Left Red, Right Cyan", "", "", R},
      {32807, "&Display > 3D Stereo Display > Stereo Glasses: Left Red, Right Blue", "", "", R},
      {32809, "&Display > 3D Stereo Display > Stereo Glasses: Left Red, Right Green", "", "", R},
      {33476, "", "", "", kCommandNoItem},
      {32808, "", "", "", kCommandNoItem},
      {32810, "", "", "", kCommandNoItem},
      {kCmdCoplanarStencil, "&Display > Coplanar Rendering Method > Stencil Buffer", "", "", R},
      {kCmdCoplanarOffset, "&Display > Coplanar Rendering Method > Polygon Z-Offset", "", "", R},
      {33159, "&Display > Geomag > Geomag Style", "", "geomag", C},
      {33169, "&Display > Geomag > Choose Geomag Edge Style", "", "rod_yellow", 0},
      {33161, "&Display > Geomag > Geomag Edge Style > Yellow", "", "rod_yellow", R},
      {33162, "&Display > Geomag > Geomag Edge Style > Red", "", "rod_red", R},
      {33163, "&Display > Geomag > Geomag Edge Style > Green", "", "rod_green", R},
      {33164, "&Display > Geomag > Geomag Edge Style > Blue", "", "rod_blue", R},
      {33165, "&Display > Geomag > Geomag Edge Style > Metallic Blue", "", "rod_metalblue", R},
      {33166, "&Display > Geomag > Geomag Edge Style > Metallic Silver", "", "rod_silver", R},
      {33167, "&Display > Geomag > Geomag Edge Style > Glow in the Dark", "", "rod_glow", R},
      {33209, "&Display > Geomag > Geomag Edge Style > Pastel Lemon", "", "rod_lemon", R},
      {33210, "&Display > Geomag > Geomag Edge Style > Pastel Musk", "", "rod_musk", R},
      {33211, "&Display > Geomag > Geomag Edge Style > Pastel Mauve", "", "rod_mauve", R},
      {33213, "&Display > Geomag > Geomag Edge Style > Pastel Sky", "", "rod_sky", R},

      // ---- Image ----
      {33295, "&Image > Image Options...", "", "", 0},
      {33296, "&Image > Options for All Images...", "", "", 0},
      {kCmdBackgroundFitWithin, "&Image > Background Image Fit > Fit Within", "", "", R},
      {kCmdBackgroundFitAround, "&Image > Background Image Fit > Fit Around", "", "", R},
      {kCmdBackgroundFitWidth, "&Image > Background Image Fit > Fit Width", "", "", R},
      {kCmdBackgroundFitHeight, "&Image > Background Image Fit > Fit Height", "", "", R},
      {kCmdBackgroundStretch, "&Image > Background Image Fit > Stretch", "", "", R},
      {kCmdBackgroundActualSize, "&Image > Background Image Fit > Actual Image Size", "", "", R},
      {33523, "&Image > Image Projection > Cubic", "", "", R | OUT},

      // ---- Section ----
      {33381, "Sectio&n > Cross-Section Direction > Selected Face/Edge/Vertex/Symmetry First", "", "", R},
      {33378, "Sectio&n > Cross-Section Direction > Along Axis 1", "", "", R},
      {33379, "Sectio&n > Cross-Section Direction > Along Axis 2", "", "", R},
      {33380, "Sectio&n > Cross-Section Direction > Along Axis 3", "", "", R},
      {33311, "Sectio&n > Cross-Section Direction > Cell First", "", "", R | OUT},
      {33312, "Sectio&n > Cross-Section Direction > Face First", "", "", R | OUT},
      {33313, "Sectio&n > Cross-Section Direction > Edge First", "", "", R | OUT},
      {33314, "Sectio&n > Cross-Section Direction > Vertex First", "", "", R | OUT},
      {33351, "Sectio&n > Cross-Section Direction > Same as Projection", "", "", R | OUT},
      {33386, "Sectio&n > Cross-Section Direction > Identity Transform", "", "", OUT},
      Sep("Sectio&n > Cross-Section Direction"),
      {33439, "Sectio&n > Cross-Section Direction > Measured Item First", "", "", R},
      {33396, "Sectio&n > Cross-Section Direction > Automatic", "", "", C},
      {kCmdFillCrossSection, "Sectio&n > Fill 2D Cross-Section", "", "", C},
      {kCmdSectionInModelNever, "Sectio&n > Show Cross-Section in Model Views > Never", "", "", R},
      {kCmdSectionInModelWhenOpen, "Sectio&n > Show Cross-Section in Model Views > When Cross-Section View is Open", "",
       "", R},
      {kCmdSectionInModelAlways, "Sectio&n > Show Cross-Section in Model Views > Always", "", "", R},

      // ---- 4D: the program shows no four-dimensional menu ----
      {33385, "4D > Projection Direction > Identity Transform", "", "", 0},

      // ---- Stellation ----
      {32816, "S&tellation > Previous", "", "prevstel", 0, "Previous Stellation"},
      {32815, "S&tellation > Next", "", "nextstel", 0, "Next Stellation"},
      {kCmdOriginalStellation, "S&tellation > Original Polyhedron", "", "", 0},
      {32868, "S&tellation > Fill All Inaccessible Cells", "", "fillcells", 0},
      Sep("S&tellation"),
      {32795, "S&tellation > Highlight", "", "highlight", C},
      {32796, "S&tellation > Show Stellation Diagram", "", "steldiagramshow", C},
      {kCmdAutoFrameStellation, "S&tellation > Auto-frame Changed Stellation", "", "", C},
      Sep("S&tellation"),
      {32817, "S&tellation > Stellation Criteria > Mainline", "", "", R},
      {32855, "S&tellation > Stellation Criteria > Primary", "", "", R},
      {32856, "S&tellation > Stellation Criteria > Monoacral (Single Supported Peak)", "", "", R},
      {32818, "S&tellation > Stellation Criteria > Fully Supported (eg \"The 227 Triacontahedra\")", "", "", R},
      {32819, "S&tellation > Stellation Criteria > Miller's Rules (eg \"The 59 Icosahedra\")", "", "", R},
      {33085, "S&tellation > Stellation Criteria > Miller's Rules (Slow)", "", "", R | OUT},
      {32861, "S&tellation > Stellation Criteria > Must Use All Facial Planes", "", "", R | OUT},
      Sep("S&tellation > Stellation Criteria"),
      {32862, "S&tellation > Stellation Criteria > Full Support Requires All Cells Around Core", "", "", C},
      {32864, "S&tellation > Enumerate Slowly (One By One)...", "", "", OUT},

      // ---- Faceting ----
      {kCmdFacetingEnumerate, "F&aceting > Enumerate Facetings...", "", "", 0},
      Sep("F&aceting"),
      {kCmdFacetingIsohedral, "F&aceting > Faceting Criteria > Isohedral", "", "", R},
      {kCmdFacetingTidyAndDuals, "F&aceting > Faceting Criteria > Tidy Facetings && Duals", "", "", R},
      {kCmdFacetingTidy, "F&aceting > Faceting Criteria > Tidy Facetings", "", "", R},
      {kCmdFacetingCoplanarVerts, "F&aceting > Faceting Criteria > Allow Coplanar Faces Sharing Vertices", "", "", R},
      Sep("F&aceting > Faceting Criteria"),
      {kCmdFacetingMinTypes, "F&aceting > Faceting Criteria > Minimum Facet Types...", "", "", 0},
      {kCmdFacetingMaxTypes, "F&aceting > Faceting Criteria > Maximum Facet Types...", "", "", 0},
      {kCmdFacetingPartial, "F&aceting > Faceting Criteria > Accept Partial Facetings (Not Using All Vertices)", "", "",
       C},
      {kCmdFacetingSpiky, "F&aceting > Faceting Criteria > Only Accept Spiky Facetings", "", "", C},
      {kCmdFacetingStepFacetings, "F&aceting > Up/Down Arrows in Faceting View > Step Through Facetings", "", "", R},
      {kCmdFacetingStepEdges, "F&aceting > Up/Down Arrows in Faceting View > Step Through Edges", "", "", R},
      {kCmdFacetingStepPlanes, "F&aceting > Up/Down Arrows in Faceting View > Step Through Planes", "", "", R},
      {kCmdFacetingStepFacets, "F&aceting > Up/Down Arrows in Faceting View > Step Through Facets", "", "", R},
      {kCmdFacetingHideDiagram, "F&aceting > Faceting Diagram Options > Hide Diagram when Facets Exist", "", "", C},
      {kCmdFacetingHideVertices, "F&aceting > Faceting Diagram Options > Hide Vertices when Facets Exist", "", "", C},

      // ---- Nets ----
      {32903, "N&ets > Maximum Faces per Net...", "", "", 0},
      {32899, "N&ets > Coincident Edge Method > Tongue-in-Groove", "", "", R},
      {32900, "N&ets > Coincident Edge Method > Internal Support", "", "", R},
      {32901, "N&ets > Coincident Edge Method > No Internal Support Required", "", "", R},
      {32902, "N&ets > Coincident Edge Method > Disconnected", "", "", R},
      {33280, "N&ets > Net/Paper Color Mixing > Auto", "", "", R},
      {32874, "N&ets > Net/Paper Color Mixing > One Color per Net/Page", "", "", R},
      {33282, "N&ets > Net/Paper Color Mixing > Allow Mixing of Colors", "", "", R},
      {33512, "N&ets > Tabs > Default Tabs", "", "", R},
      {33507, "N&ets > Tabs > No Tabs", "", "", R},
      {33508, "N&ets > Tabs > Single Tabs (Glue Tab Under Face)", "", "", R},
      {33509, "N&ets > Tabs > Double Tabs (Glue Tab to Tab)", "", "", R},
      Sep("N&ets > Tabs"),
      {33510, "N&ets > Tabs > Tab Size...", "", "", 0},
      {33513, "N&ets > Select Neighbouring Edge", "", "", 0},
      Sep("N&ets"),
      {33160, "N&ets > Nets Shown in Folding View > Show All Nets", "", "", R},
      {33205, "N&ets > Nets Shown in Folding View > Show One Type of Net", "", "", R},
      {33206, "N&ets > Nets Shown in Folding View > Show One Net", "", "", R},
      {33515, "N&ets > Show Tabs in Folding View", "", "", C},
      {33505, "N&ets > Show Edge Data > None", "", "", R},
      {33504, "N&ets > Show Edge Data > Edge Connection IDs", "", "", R},
      {32876, "N&ets > Show Edge Data > Edge Names", "", "", R},
      {33511, "N&ets > Show Edge Data > Edge Type Names", "", "", R},
      {33000, "N&ets > Show Edge Data > Edge Lengths", "", "", R},
      {33001, "N&ets > Show Edge Data > Dihedral Angles", "", "", R},
      {33128, "N&ets > Show Edge Data > Mitre Angles", "", "", R},
      {33135, "N&ets > Show Face Angles", "", "", C},

      // ---- Tour ----
      {33486, "T&our > Show/Hide Tour List", "", "tourlist", C},
      Sep("T&our"),
      {33487, "T&our > Open Tour...", "", "touropen", 0},
      {33493, "T&our > Merge Tour...", "", "tourmerge", 0},
      {33488, "T&our > Save Tour...", "", "toursave", 0},
      Sep("T&our"),
      {33480, "T&our > Play Tour", "", "play", C},
      Sep("T&our"),
      {33479, "T&our > Add to Tour", "", "touradd", 0},
      {33483, "T&our > Replace Current Event", "", "tourreplace", 0},
      {33482, "T&our > Remove from Tour", "", "tourremove", 0},
      {33485, "T&our > Previous Event", "", "tourprev", 0},
      {33484, "T&our > Next Event", "", "tournext", 0},

      // ---- Options ----
      {33524, "&Options > Left+Right-drag to Pivot Around Selected Item", "", "pivot", C},
      {33127, "&Options > Lock 3D Views Together", "", "lock", C},
      {32943, "&Options > Allow Mouse Inertia", "", "", C},
      {33009, "&Options > Maintain Reflexibility", "", "reflex", C},
      Sep("&Options"),
      {33503, "&Options > Enable Transitions", "", "", C},
      {33497, "&Options > Transition Options...", "", "", 0},
      Sep("&Options"),
      {kCmdShowFaceNumbers, "&Options > Diagnostic Mode > Show Face Numbers", "", "", C},
      {kCmdShowFaceTypeNumbers, "&Options > Diagnostic Mode > Show Face Type Numbers", "", "", C},
      {kCmdShowVertexNumbers, "&Options > Diagnostic Mode > Show Vertex Numbers", "", "", C},
      {kCmdShowVertexTypeNumbers, "&Options > Diagnostic Mode > Show Vertex Type Numbers", "", "", C},
      {kCmdShowEdgeNumbers, "&Options > Diagnostic Mode > Show Edge Numbers", "", "", C},
      {kCmdShowEdgeTypeNumbers, "&Options > Diagnostic Mode > Show Edge Type Numbers", "", "", C},
      Sep("&Options > Diagnostic Mode"),
      {kCmdShowFaceletNumbers, "&Options > Diagnostic Mode > Show Facelet Numbers", "", "", C},
      {kCmdShowFaceletTypeNumbers, "&Options > Diagnostic Mode > Show Facelet Type Numbers", "", "", C},
      {kCmdShowFrameTime, "&Options > Diagnostic Mode > Show Frame Time", "", "", C,
       "Show in each pane how long its last frame took to draw"},
      {kCmdShowDiagramCoords, "&Options > Diagnostic Mode > Show Stellation Diagram Vertex Coords", "", "", C},
      {32824, "&Options > Diagnostic Mode > Show Line Numbers and Axes", "", "", C | OUT},
      {32851, "&Options > Diagnostic Mode > Show Face Coord Axes", "", "", C | OUT},
      {33414, "&Options > Diagnostic Mode > Show 2D Region Pointers", "", "", C | OUT},

      // ---- Debug: the program shows no debugging menu ----
      {32802, "Debug > OpenGL > Transparency Types > Screen-Door (Low Quality, Fast)", "", "", R},
      {32803, "Debug > OpenGL > Transparency Types > Blending (High Quality, Slow)", "", "", R},

      // ---- Help ----
      {32980, "&Help > Manual...", "F1", "", 0},
      {33124, "&Help > Polyhedra Explained (online paper)...", "", "", 0},
      {33419, "&Help > Online Forums...", "", "", 0},
      {33528, "&Help > Corvia on Facebook...", "", "", 0},
      {33548, "&Help > Download Companion Android App Kestrune...", "", "", 0},
      Sep("&Help"),
      {33168, "&Help > Check for Software Updates Now...", "", "", 0},
      Sep("&Help"),
      {57664, "&Help > About Corvia...", "", "", 0},
  };
}

struct Index {
  std::unordered_map<int, size_t> byId;
};

const Index& GetIndex() {
  static const Index index = [] {
    Index made;
    const auto& table = GetCommandTable();
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].id != kCommandSeparator) made.byId.emplace(table[i].id, i);
    }
    return made;
  }();
  return index;
}

std::unordered_set<int>& Available() {
  static std::unordered_set<int> available;
  return available;
}

}  // namespace detail_CommandTable

const std::vector<CommandInfo>& GetCommandTable() {
  static const std::vector<CommandInfo> table = detail_CommandTable::MakeTable();
  return table;
}

const CommandInfo* FindCommand(int id) {
  if (id == kCommandSeparator) return nullptr;
  const auto& byId = detail_CommandTable::GetIndex().byId;
  auto found = byId.find(id);
  return found == byId.end() ? nullptr : &GetCommandTable()[found->second];
}

std::vector<std::string> SplitMenuPath(const char* path) {
  std::vector<std::string> parts;
  if (!path || !*path) return parts;
  const std::string text(path);
  size_t start = 0;
  while (true) {
    const size_t at = text.find(" > ", start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) break;
    start = at + 3;
  }
  return parts;
}

namespace detail_CommandTable {

// An "&" that names no key: one before a blank, a tab or the end of the text.
bool IsLiteralAmpersand(const std::string& text, size_t i) {
  return i + 1 >= text.size() || text[i + 1] == ' ' || text[i + 1] == '\t';
}

}  // namespace detail_CommandTable

std::string StripMenuText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\t') break;
    if (c == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      } else if (detail_CommandTable::IsLiteralAmpersand(text, i)) {
        out += '&';
      }
      continue;
    }
    out += c;
  }
  return out;
}

std::string MenuLabelText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] != '&') continue;
    if (i + 1 < text.size() && text[i + 1] == '&') {
      out += '&';
      ++i;
    } else if (detail_CommandTable::IsLiteralAmpersand(text, i)) {
      out += '&';
    }
  }
  return out;
}

bool MenuTextEquals(const char* a, const char* b) {
  if (!a || !b) return a == b;
  for (;;) {
    while (*a == '&') ++a;
    while (*b == '&') ++b;
    if (*a != *b) return false;
    if (!*a) return true;
    ++a;
    ++b;
  }
}

std::string GetCommandMenuPath(int id) {
  const CommandInfo* info = FindCommand(id);
  if (!info || !*info->path) return std::string();
  std::string joined;
  for (const std::string& part : SplitMenuPath(info->path)) {
    if (!joined.empty()) joined += "->";
    joined += StripMenuText(part);
  }
  return joined;
}

std::string GetCommandPrompt(int id) {
  const CommandInfo* info = FindCommand(id);
  if (!info) return std::string();
  if (info->tip && *info->tip) return info->tip;
  if (!*info->path) return std::string();
  std::vector<std::string> parts = SplitMenuPath(info->path);
  std::string prompt = StripMenuText(parts.back());
  while (!prompt.empty() && prompt.back() == '.') prompt.pop_back();
  return prompt;
}

std::string GetCommandOperationText(int id) {
  const CommandInfo* info = id > 0 ? FindCommand(id) : nullptr;
  if (!info || !*info->path) return "finish what was asked";
  std::string name = StripMenuText(SplitMenuPath(info->path).back());
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return "carry out \"" + name + "\"";
}

bool RunCommandOperation(int id, FunctionRef<void()> work) {
  return RunOperation([id] { return GetCommandOperationText(id); }, work);
}

void SetCommandAvailable(int id, bool available) {
  if (available) {
    detail_CommandTable::Available().insert(id);
  } else {
    detail_CommandTable::Available().erase(id);
  }
}

bool IsCommandAvailable(int id) {
  return detail_CommandTable::Available().count(id) != 0;
}

bool ParseAccelerator(const char* text, int& flags, int& key) {
  flags = 0;
  key = 0;
  if (!text || !*text) return false;
  std::string rest(text);
  struct Modifier {
    const char* name;
    int flag;
  };
  static const Modifier kModifiers[] = {{"Ctrl+", kAccelCtrl}, {"Shift+", kAccelShift}, {"Alt+", kAccelAlt}};
  for (bool found = true; found;) {
    found = false;
    for (const Modifier& m : kModifiers) {
      const size_t n = std::strlen(m.name);
      if (rest.size() > n && rest.compare(0, n, m.name) == 0) {
        flags |= m.flag;
        rest.erase(0, n);
        found = true;
      }
    }
  }
  struct Named {
    const char* name;
    int key;
  };
  static const Named kNamed[] = {{"Left Arrow", kKeyLeft}, {"Right Arrow", kKeyRight}, {"Up Arrow", kKeyUp},
                                 {"Down Arrow", kKeyDown}, {"Esc", kKeyEscape},        {"Tab", kKeyTab}};
  for (const Named& n : kNamed) {
    if (rest == n.name) {
      key = n.key;
      return true;
    }
  }
  if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F' && std::isdigit(static_cast<unsigned char>(rest[1]))) {
    const int number = std::atoi(rest.c_str() + 1);
    if (number >= 1 && number <= 12) {
      key = kKeyF1 + number - 1;
      return true;
    }
    return false;
  }
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    key = std::toupper(static_cast<unsigned char>(rest[0]));
    return true;
  }
  return false;
}

int FindCommandOfKey(int flags, int key) {
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.id == kCommandSeparator || (info.flags & (kCommandTakenOut | kCommandAccelShownOnly))) continue;
    int f = 0, k = 0;
    if (ParseAccelerator(info.accel, f, k) && f == flags && k == key) return info.id;
  }
  return 0;
}

}  // namespace corvia
